#pragma once

// The dialog seam for window tests: every dialog is answered at once from a
// script, and what it was asked to show is recorded. No test ever blocks in a
// modal loop.

#include <QDialog>
#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "ui/Dialogs.h"

namespace mc::test {

// Answers every dialog from a script and records what it was asked to show.
class ScriptedDialogs final : public IDialogs {
public:
    struct Shown {
        QString text;
        QString detail;
    };
    struct FileAsk {
        QString directory;
        QString filter;
        QString suffix;
    };

    bool ignoreError(QWidget*, const QString& text, const QString& detail) override {
        ignoreErrors.push_back({text, detail});
        return answerIgnore;
    }
    void showMessage(QWidget*, const QString& text) override { messages.push_back(text); }
    void showError(QWidget*, const QString& text) override { errors.push_back(text); }
    Answer ask(QWidget*, const QString& question) override {
        questions.push_back(question);
        return answerAsk;
    }
    std::optional<QString> openFileName(QWidget*, const QString& directory,
                                        const QString& filter) override {
        opens.push_back({directory, filter, {}});
        return next(openAnswers);
    }
    std::optional<QString> saveFileName(QWidget*, const QString& directory, const QString& filter,
                                        const QString& suffix) override {
        saves.push_back({directory, filter, suffix});
        return next(saveAnswers);
    }
    int exec(QDialog& dialog) override {
        ++execs;
        return onExec ? onExec(dialog) : QDialog::Rejected;
    }

    bool answerIgnore = true;  // the error box is closed with "&Ignore"
    Answer answerAsk = Answer::Yes;
    // Answers of the file dialogs, in order; nullopt (or none left): cancelled.
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::function<int(QDialog&)> onExec;

    std::vector<Shown> ignoreErrors;
    std::vector<QString> messages;
    std::vector<QString> errors;
    std::vector<QString> questions;
    std::vector<FileAsk> opens;
    std::vector<FileAsk> saves;
    int execs = 0;

private:
    static std::optional<QString> next(std::deque<std::optional<QString>>& answers) {
        if (answers.empty()) return std::nullopt;
        const bool given = answers.front().has_value();
        const QString answer = given ? *answers.front() : QString();
        answers.pop_front();
        if (!given) return std::nullopt;
        return answer;
    }
};

}  // namespace mc::test
