#pragma once

#include <memory>

#include "Platform.h"

class QMessageBox;

class QInputDialog;
class QFileDialog;

namespace kessadon::app {

class QtPlatform : public Platform {
 public:
  std::optional<QString> OpenFileName(QWidget* parent, const QString& filter) override;
  std::optional<QString> SaveFileName(QWidget* parent, const QString& filter) override;
  bool AskYesNo(QWidget* parent, const QString& text) override;
  void ShowMessage(QWidget* parent, const QString& text) override;
  SaveChoice AskSaveDiscardCancel(QWidget* parent, const QString& text) override;
  std::optional<int> AskChoice(QWidget* parent, const QString& text, const QStringList& items,
                               int current) override;
  std::optional<QString> AskItemOrText(QWidget* parent, const QString& text,
                                       const QStringList& items, int current) override;
  std::optional<FieldAnswer> AskFields(QWidget* parent, const FieldQuestion& question) override;
  void SetBusyPointer(bool busy) override;
  void PutImageOnClipboard(const QImage& image) override;

 private:
  int busyDepth_ = 0;
};

// The question of AskItemOrText, not yet shown.
std::unique_ptr<QInputDialog> NewItemOrTextQuestion(QWidget* parent, const QString& text,
                                                    const QStringList& items, int current);

// The file dialog of OpenFileName (`save` false) and SaveFileName, not yet
// shown: wide enough that the names, sizes and dates are not cut.
std::unique_ptr<QFileDialog> NewFileDialog(QWidget* parent, const QString& filter, bool save);

// The save, discard or cancel question, not yet shown.
std::unique_ptr<QMessageBox> NewSaveQuestion(QWidget* parent, const QString& text);

}  // namespace kessadon::app
