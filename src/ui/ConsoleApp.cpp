#include "ui/ConsoleApp.h"

#include "platform/Hive.h"
#include "ui/ConsoleControls.h"
#include "ui/ConsoleStatus.h"
#include "ui/MainWindow.h"
#include "ui/Options.h"

namespace ui {

int runConsole(const std::vector<std::string>& arguments, const ConsoleEnvironment& env) {
    ConsoleDialogs dialogs(env.in, env.err, env.inputIsTerminal);
    std::shared_ptr<ConsoleStatus> status;
    bool interrupted = false;
    dialogs.setBeforeOutput([&status] {
        if (status)
            status->breakLine();
    });

    platform::Hive hive(env.hiveFile, [&dialogs](const platform::HiveDamage& damage) {
        dialogs.MessageDialog("The registry file is damaged and was read as far as it is valid: " +
                                  damage.describe(),
                              platform::DialogKind::Warning, platform::DialogButton::OK, 0);
    });

    ConsoleControls controls;
    MainWindowServices services;
    services.hive = &hive;
    services.dialogs = &dialogs;
    services.createStatusWindow = [&]() -> std::weak_ptr<engine::StatusSink> {
        if (status)
            interrupted = interrupted || status->cancelled();
        status.reset(); // the previous run's line is ended before the next one starts
        status = std::make_shared<ConsoleStatus>(env.err, env.errorIsTerminal, env.columns);
        return status;
    };
    // No desktop to hand the address to: it is printed for the user to open.
    services.shellOpen = [&env](const std::string& target) { env.out << target << "\n" << std::flush; };

    try {
        services.mapi = env.makeMapi(dialogs);
        MainWindow window(controls, std::move(services));
        Options options(window, env.out, env.version);
        // The window is built before the options, so the hook reaches them through the window's services.
        window.setOptionHandler([&options](const std::string& argument) { options.process(argument); });

        if (window.FormCreate(arguments)) {
            window.afterCreate();
            window.requestEnd();
            if (window.FormCloseQuery())
                window.FormClose();
            window.FormDestroy();
        }
        if (status)
            interrupted = interrupted || status->cancelled();
        status.reset();

        if (options.invalid() || window.invalidParameters() > 0)
            return ExitInvalidCommandLine;
    } catch (const std::exception& error) {
        status.reset();
        dialogs.MessageDialog(error.what(), platform::DialogKind::Error, platform::DialogButton::OK, 0);
    }
    return dialogs.problemsShown() > 0 || interrupted ? ExitErrorShown : ExitSuccess;
}

} // namespace ui
