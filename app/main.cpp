// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CTarnowickApp.h"

int main(int argc, char** argv)
{
    tw::CTarnowickApp app(argc, argv);
    if (const int status = app.InitInstance(app.arguments().mid(1)))
        return status;
    return app.exec();
}
