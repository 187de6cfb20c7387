// The platform services with scripted answers, so that tests drive every
// command without a person. Asking a question nobody scripted fails the test.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "app/Platform.h"

namespace kessadon::testing {

// The widget tests speak of the desktop's windows, state and handlers by name.
using namespace kessadon::app;  // NOLINT(google-build-using-namespace)

class ScriptedPlatform : public Platform {
 public:
  // An empty name stands for a cancelled dialog.
  std::deque<QString> openAnswers;
  std::deque<QString> saveAnswers;
  std::deque<bool> yesNoAnswers;
  std::deque<SaveChoice> saveChoices;
  std::deque<std::optional<int>> choiceAnswers;  // nothing: cancelled
  std::deque<std::optional<FieldAnswer>> fieldAnswers;
  std::deque<std::optional<QString>> textAnswers;  // empty: OK on the preselected item
  std::vector<QStringList> choiceItems;
  std::vector<FieldQuestion> fieldQuestions;

  std::vector<QString> openFilters, saveFilters, questions, messages;
  int busyDepth = 0;
  int busyCount = 0;  // how often the pointer turned busy
  QImage clipboard;

  std::optional<QString> OpenFileName(QWidget*, const QString& filter) override {
    openFilters.push_back(filter);
    return Next(openAnswers, "open dialog");
  }
  std::optional<QString> SaveFileName(QWidget*, const QString& filter) override {
    saveFilters.push_back(filter);
    return Next(saveAnswers, "save dialog");
  }
  bool AskYesNo(QWidget*, const QString& text) override {
    questions.push_back(text);
    if (yesNoAnswers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text.toStdString();
      return false;
    }
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
  }
  void ShowMessage(QWidget*, const QString& text) override { messages.push_back(text); }
  std::optional<int> AskChoice(QWidget*, const QString& text, const QStringList& items,
                               int current) override {
    questions.push_back(text);
    choiceItems.push_back(items);
    if (choiceAnswers.empty()) {
      ADD_FAILURE() << "unexpected choice: " << text.toStdString();
      return current;
    }
    const std::optional<int> answer = choiceAnswers.front();
    choiceAnswers.pop_front();
    return answer;
  }
  std::optional<QString> AskItemOrText(QWidget*, const QString& text, const QStringList& items,
                                       int current) override {
    questions.push_back(text);
    choiceItems.push_back(items);
    if (textAnswers.empty()) return items.value(current);  // OK on what was preselected
    const std::optional<QString> answer = textAnswers.front();
    textAnswers.pop_front();
    return answer;
  }
  std::optional<FieldAnswer> AskFields(QWidget*, const FieldQuestion& question) override {
    fieldQuestions.push_back(question);
    if (fieldAnswers.empty()) {
      ADD_FAILURE() << "unexpected field question: " << question.source.toStdString();
      return std::nullopt;
    }
    const std::optional<FieldAnswer> answer = fieldAnswers.front();
    fieldAnswers.pop_front();
    return answer;
  }
  SaveChoice AskSaveDiscardCancel(QWidget*, const QString& text) override {
    questions.push_back(text);
    if (saveChoices.empty()) {
      ADD_FAILURE() << "unexpected save question: " << text.toStdString();
      return SaveChoice::Cancel;
    }
    const SaveChoice answer = saveChoices.front();
    saveChoices.pop_front();
    return answer;
  }
  void SetBusyPointer(bool busy) override {
    busyDepth += busy ? 1 : -1;
    if (busy) ++busyCount;
  }
  void PutImageOnClipboard(const QImage& image) override { clipboard = image; }

 private:
  static std::optional<QString> Next(std::deque<QString>& answers, const char* what) {
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected " << what;
      return std::nullopt;
    }
    const QString answer = answers.front();
    answers.pop_front();
    if (answer.isEmpty()) return std::nullopt;
    return answer;
  }
};

}  // namespace kessadon::testing
