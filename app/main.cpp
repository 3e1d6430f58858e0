// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CTarnowickApp.h"

int main(int argc, char** argv)
{
    tw::CTarnowickApp app(argc, argv);
    if (const int status = app.InitInstance())
        return status;
    return app.exec();
}
