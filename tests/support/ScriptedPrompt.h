#pragma once
// A prompt for tests: scripted answers, and a record of every text shown.

#include "tag/Prompt.h"

#include <deque>
#include <string>
#include <vector>

namespace zarn {

// Answers questions from a script (then with a fixed answer) and records every text it was shown,
// in order.
class ScriptedPrompt : public Prompt {
public:
    enum class Kind { Confirm, ConfirmWarning, Warning, Information, Message };
    struct Entry {
        Kind kind;
        std::string text;
    };

    explicit ScriptedPrompt(std::deque<bool> answers = {}, bool answerWhenScriptEnds = false)
        : answers_(std::move(answers)), fallback_(answerWhenScriptEnds) {}

    bool Confirm(const std::string& text) override { return Ask(Kind::Confirm, text); }
    bool ConfirmWarning(const std::string& text) override { return Ask(Kind::ConfirmWarning, text); }
    void Warning(const std::string& text) override { entries_.push_back({Kind::Warning, text}); }
    void Information(const std::string& text) override { entries_.push_back({Kind::Information, text}); }
    void Message(const std::string& text) override { entries_.push_back({Kind::Message, text}); }

    const std::vector<Entry>& Entries() const { return entries_; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Entry& entry : entries_)
            texts.push_back(entry.text);
        return texts;
    }
    // Scripted answers not used yet.
    std::size_t AnswersLeft() const { return answers_.size(); }

private:
    bool Ask(Kind kind, const std::string& text) {
        entries_.push_back({kind, text});
        if (answers_.empty())
            return fallback_;
        const bool answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    std::deque<bool> answers_;
    bool fallback_;
    std::vector<Entry> entries_;
};

} // namespace zarn
