#pragma once
// A dialog service for tests: records every box it is asked to show and answers questions with
// pre-set buttons, in order.

#include "platform/DialogService.h"

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

namespace testsupport {

class FakeDialogService : public platform::DialogService {
public:
    struct Dialog {
        std::string text;
        platform::DialogKind kind;
        platform::DialogButtons buttons;
        int helpContext;
        std::string title; // set by ErrorBox only
    };

    std::vector<Dialog> dialogs;
    std::vector<std::string> infos;
    std::deque<platform::DialogButton> answers;

    platform::DialogButton MessageDialog(const std::string& text, platform::DialogKind kind,
                                         platform::DialogButtons buttons, int helpContext) override {
        dialogs.push_back(Dialog{text, kind, buttons, helpContext});
        if (answers.empty()) {
            throw std::logic_error("unexpected dialog: " + text);
        }
        const platform::DialogButton answer = answers.front();
        answers.pop_front();
        return answer;
    }

    void ShowInfo(const std::string& text) override { infos.push_back(text); }

    // Recorded with the message boxes, as an error box with OK.
    void ErrorBox(const std::string& title, const std::string& text) override {
        dialogs.push_back(Dialog{text, platform::DialogKind::Error, platform::DialogButton::OK, 0, title});
    }
};

} // namespace testsupport
