#include "app/Startup.h"

#include "app/TFMain.h"
#include "app/TSplashscreen.h"

#include <QCoreApplication>

std::unique_ptr<TFMain> StartUp() {
    auto main = std::make_unique<TFMain>();
    main->show();

    auto splash = std::make_unique<TSplashscreen>();
    splash->HideOkButton();
    splash->show();
    splash->repaint();

    while (splash->TimerEnabled())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

    splash.reset();
    return main;
}
