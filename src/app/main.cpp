#include <QApplication>

#include "app/CQorstatsApp.h"
#include "driver/CDev.h"
#include "platform/SettingsStore.h"

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    std::unique_ptr<ControlDevice> device = MakeSystemControlDevice();
    CDev dev(*device);
    SettingsStore settings;
    CQorstatsApp app(dev, settings);
    if (!app.InitInstance()) return 0;
    return QApplication::exec();
}
