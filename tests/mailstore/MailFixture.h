#pragma once
// A session over in-memory stores behind the fault-injecting wrapper, and a tree that writes down
// what the folder enumeration adds, so tests read the result as indented lines.

#include "mailstore/FolderTree.h"
#include "mailstore/TMapiSession.h"
#include "mailstore/TMapiUserFolder.h"
#include "mapi/fault/FaultMapi.h"
#include "mapi/memory/MemoryProvider.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace mailstore::testing {

class RecordingTree : public IFolderTree {
public:
    struct Node {
        std::string text;
        int depth = 0;
        std::unique_ptr<TMapiUserFolder> folder;
        int image = -1;
        bool expanded = false;
    };

    FolderNode addTopLevelNode(const std::string& text, std::unique_ptr<TMapiUserFolder> folder) override {
        nodes.push_back(Node{text, 0, std::move(folder)});
        return nodes.size() - 1;
    }
    void setImageIndex(FolderNode node, int index) override { nodes.at(node).image = index; }
    void setText(FolderNode node, const std::string& text) override { nodes.at(node).text = text; }
    void expand(FolderNode node) override { nodes.at(node).expanded = true; }

    // The chooser's callback: a child node under `parent`.
    AddNodeCallback callback() {
        return [this](const std::string& name, FolderNode parent, std::unique_ptr<TMapiUserFolder> folder) {
            nodes.push_back(Node{name, nodes.at(parent).depth + 1, std::move(folder)});
            return std::optional<FolderNode>(nodes.size() - 1);
        };
    }

    // One line per node, indented two blanks per level; "*" marks a node without folder data.
    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        for (const auto& node : nodes)
            result.push_back(std::string(2 * node.depth, ' ') + node.text + (node.folder ? "" : " *"));
        return result;
    }

    std::vector<Node> nodes;
};

class MailFixture : public ::testing::Test {
protected:
    // The session is made on first use, after the test has built its stores.
    TMapiSession& session() {
        if (!m_session) {
            subsystem = mail.makeSubsystem();
            mapi = std::make_shared<mapi::fault::FaultMapi>(subsystem, faults);
            m_session = std::make_unique<TMapiSession>(
                mapi, [this](const std::string& text) { boxes.push_back(text); });
        }
        return *m_session;
    }

    void fail(mapi::fault::FaultRule rule) { faults->add(std::move(rule)); }

    mapi::memory::MemoryMail mail;
    std::shared_ptr<mapi::fault::FaultInjector> faults = std::make_shared<mapi::fault::FaultInjector>();
    std::shared_ptr<mapi::ProfileSubsystem> subsystem;
    std::shared_ptr<mapi::fault::FaultMapi> mapi;
    std::vector<std::string> boxes;

private:
    std::unique_ptr<TMapiSession> m_session;
};

// The message of the MapiException `action` raises, or "(no error)".
template <class F> std::string errorOf(F&& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "(no error)";
}

} // namespace mailstore::testing
