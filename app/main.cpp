// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CTarnowickApp.h"
#include "platform/StopSignal.h"

int main(int argc, char** argv)
{
    int status = 0;
    {
        tw::CTarnowickApp app(argc, argv);
        status = app.InitInstance(app.arguments().mid(1));
        if (status == 0)
            status = app.exec();
    }
    // Ended by SIGTERM, SIGINT or SIGHUP: everything is cleaned up and the
    // window is gone; the process now ends as that signal ends it.
    tw::ReraiseStopSignal();
    return status;
}
