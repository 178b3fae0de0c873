#pragma once
// A Ui that records every message and answers questions and file choosers from a script.
#include <deque>
#include <string>
#include <vector>

#include "base/Ui.h"

namespace pm::test {

struct Message {
    std::string text;
    std::string caption;
    Icon icon;
    Owner owner;
    bool operator==(const Message&) const = default;
};

class FakeUi : public Ui {
  public:
    void Notice(std::string_view text, std::string_view caption, Icon icon, Owner owner) override {
        messages.push_back({std::string(text), std::string(caption), icon, owner});
    }
    bool AskOkCancel(std::string_view text, std::string_view caption, Icon icon) override {
        questions.push_back({std::string(text), std::string(caption), icon, Owner::MainWindow});
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool OpenUrl(const std::string& url) override {
        opened.push_back(url);
        return openSucceeds;
    }
    bool OpenFile(const std::string& path) override {
        opened.push_back(path);
        return openSucceeds;
    }
    std::optional<std::string> ChooseOpenFile(std::string_view proposed,
                                              const std::vector<FileFilter>& f) override {
        return Choose(proposed, f);
    }
    std::optional<std::string> ChooseSaveFile(std::string_view proposed,
                                              const std::vector<FileFilter>& f) override {
        return Choose(proposed, f);
    }

    // Texts of the messages so far, in order.
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const auto& m : messages)
            out.push_back(m.text);
        return out;
    }
    void Clear() {
        messages.clear();
        questions.clear();
        opened.clear();
    }

    std::vector<Message> messages;
    std::vector<Message> questions;
    std::deque<bool> answers;  // OK when empty
    std::vector<std::string> opened;
    bool openSucceeds = true;
    std::deque<std::optional<std::string>> fileChoices;  // cancel when empty
    std::vector<std::string> proposedNames;
    std::vector<std::vector<FileFilter>> filtersAsked;

  private:
    std::optional<std::string> Choose(std::string_view proposed, const std::vector<FileFilter>& f) {
        proposedNames.emplace_back(proposed);
        filtersAsked.push_back(f);
        if (fileChoices.empty())
            return std::nullopt;
        auto choice = fileChoices.front();
        fileChoices.pop_front();
        return choice;
    }
};

}  // namespace pm::test
