#include "desktop/DesktopApp.h"

#include "desktop/QtDialogService.h"
#include "desktop/RequestServer.h"
#include "desktop/TForm1.h"
#include "desktop/TPasswordPrompt.h"
#include "desktop/TProfilePrompt.h"
#include "platform/Hive.h"
#include "ui/RequestChannel.h"

#include <QApplication>

#include <iostream>

namespace desktop {

int runDesktop(int& argc, char** argv, const std::vector<std::string>& arguments,
               const DesktopEnvironment& env) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Larkspire"));
    QApplication::setQuitOnLastWindowClosed(false);

    QtDialogService dialogs;
    platform::Hive hive(env.hiveFile, [&dialogs](const platform::HiveDamage& damage) {
        dialogs.MessageDialog("The registry file is damaged and was read as far as it is valid: " +
                                  damage.describe(),
                              platform::DialogKind::Warning, platform::DialogButton::OK, 0);
    });
    QtFileDialogs files;
    std::shared_ptr<mapi::ProfileSubsystem> mail = env.makeMapi(TPasswordPrompt::hook());
    mail->setPrompt(TProfilePrompt::hook());

    DesktopServices services{.mapi = mail,
                             .hive = &hive,
                             .dialogs = &dialogs,
                             .files = &files,
                             .shellOpen = {},
                             .version = env.version};
    TForm1 form(std::move(services), arguments);
    if (!form.created())
        return 0;
    dialogs.setOwner(&form);
    QObject::connect(&form, &TForm1::closedForGood, &application, &QCoreApplication::quit);

    RequestServer server([&form](const std::string& command) { form.requestReceived(command); });
    try {
        const std::string service = ui::requestService(argc > 0 ? argv[0] : "larkspire");
        if (!server.listen(ui::requestSocketPath(ui::requestFolder(), service)))
            std::cerr << "larkspire: another copy serves the request channel; this one does not\n";
    } catch (const std::exception& error) {
        std::cerr << "larkspire: " << error.what() << "\n";
    }

    form.show();
    return QApplication::exec();
}

} // namespace desktop
