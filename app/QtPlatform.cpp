#include "QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>
#include <QTreeView>

#include "FieldDialog.h"

namespace kessadon::app {

QString ToQtFilter(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList names;
  for (int k = 0; k + 1 < parts.size(); k += 2) {
    // The description already shows the pattern, as in "ビットマップファイル (*.bmp)";
    // Qt reads the pattern from the last parentheses, so add them when missing.
    QString name = parts[k];
    const QString pattern = QString(parts[k + 1]).replace(';', ' ');
    if (!name.contains('(')) name += " (" + pattern + ")";
    names << name;
  }
  return names.join(";;");
}

std::unique_ptr<QFileDialog> NewFileDialog(QWidget* parent, const QString& filter, bool save) {
  auto dialog = std::make_unique<QFileDialog>(parent, QString(), QString(), ToQtFilter(filter));
  if (save) {
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    // The program asks its own overwrite question, so the dialog must not.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
  } else {
    dialog->setFileMode(QFileDialog::ExistingFile);
  }
  dialog->setViewMode(QFileDialog::Detail);
  dialog->resize(900, 560);
  // The places on the left are named whole.
  if (auto* sidebar = dialog->findChild<QListView*>("sidebar")) {
    sidebar->setMinimumWidth(sidebar->sizeHintForColumn(0) + 2 * sidebar->frameWidth() + 8);
  }
  // The name column takes what the others leave; those fit their contents.
  if (auto* view = dialog->findChild<QTreeView*>("treeView")) {
    QHeaderView* header = view->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
  }
  return dialog;
}

std::optional<QString> QtPlatform::OpenFileName(QWidget* parent, const QString& filter) {
  const std::unique_ptr<QFileDialog> dialog = NewFileDialog(parent, filter, false);
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
  return dialog->selectedFiles().constFirst();
}

std::optional<QString> QtPlatform::SaveFileName(QWidget* parent, const QString& filter) {
  const std::unique_ptr<QFileDialog> dialog = NewFileDialog(parent, filter, true);
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
  QString path = dialog->selectedFiles().constFirst();
  const QString chosen = dialog->selectedNameFilter();
  // A name typed without an extension takes the chosen type's first, as
  // "*.tif" makes "dem" into "dem.tif"; the formats are told apart by it.
  const QRegularExpressionMatch single =
      QRegularExpression(R"(\(\*(\.[A-Za-z0-9]+)[^()]*\)$)").match(chosen);
  if (single.hasMatch() && QFileInfo(path).suffix().isEmpty()) path += single.captured(1);
  return path;
}

namespace {

// Boxes carry the title of the window they belong to.
QString TitleFor(QWidget* parent) { return parent ? parent->window()->windowTitle() : QString(); }

}  // namespace

bool QtPlatform::AskYesNo(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Question, TitleFor(parent), text, QMessageBox::Yes | QMessageBox::No,
                  parent);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void QtPlatform::ShowMessage(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, TitleFor(parent), text, QMessageBox::Ok, parent);
  box.exec();
}

std::unique_ptr<QMessageBox> NewSaveQuestion(QWidget* parent, const QString& text) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, TitleFor(parent), text,
                                           QMessageBox::NoButton, parent);
  QPushButton* save = box->addButton("保存", QMessageBox::AcceptRole);
  box->addButton("破棄", QMessageBox::DestructiveRole);
  QPushButton* cancel = box->addButton("キャンセル", QMessageBox::RejectRole);
  box->setDefaultButton(save);
  box->setEscapeButton(cancel);
  return box;
}

SaveChoice QtPlatform::AskSaveDiscardCancel(QWidget* parent, const QString& text) {
  const std::unique_ptr<QMessageBox> box = NewSaveQuestion(parent, text);
  box->exec();
  switch (box->buttonRole(box->clickedButton())) {
    case QMessageBox::AcceptRole:
      return SaveChoice::Save;
    case QMessageBox::DestructiveRole:
      return SaveChoice::Discard;
    default:
      return SaveChoice::Cancel;
  }
}

std::optional<int> QtPlatform::AskChoice(QWidget* parent, const QString& text,
                                         const QStringList& items, int current) {
  bool ok = false;
  const QString item = QInputDialog::getItem(parent, "Kessadon", text, items, current, false, &ok);
  if (!ok) return std::nullopt;
  return static_cast<int>(items.indexOf(item));
}

std::unique_ptr<QInputDialog> NewItemOrTextQuestion(QWidget* parent, const QString& text,
                                                    const QStringList& items, int current) {
  auto dialog = std::make_unique<QInputDialog>(parent);
  dialog->setWindowTitle(TitleFor(parent));
  dialog->setLabelText(text);
  dialog->setComboBoxItems(items);
  dialog->setComboBoxEditable(true);
  dialog->setTextValue(items.value(current));
  dialog->setOkButtonText("OK");
  dialog->setCancelButtonText("キャンセル");
  dialog->resize(520, dialog->sizeHint().height());
  return dialog;
}

std::optional<QString> QtPlatform::AskItemOrText(QWidget* parent, const QString& text,
                                                 const QStringList& items, int current) {
  const std::unique_ptr<QInputDialog> dialog = NewItemOrTextQuestion(parent, text, items, current);
  if (dialog->exec() != QDialog::Accepted) return std::nullopt;
  return dialog->textValue();
}

std::optional<FieldAnswer> QtPlatform::AskFields(QWidget* parent, const FieldQuestion& question) {
  FieldDialog dialog(parent, question);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Answer();
}

namespace {

// Eats the clicks and keys that waited while a command worked: they were
// meant for a window that could not take them, and carried out now they
// would act on what the command just changed.
class WaitingInputFilter : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::Wheel:
      case QEvent::Shortcut:
      case QEvent::ShortcutOverride:
        return true;
      default:
        return false;
    }
  }
};

}  // namespace

void QtPlatform::SetBusyPointer(bool busy) {
  if (busy) {
    if (busyDepth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
    QApplication::restoreOverrideCursor();
    WaitingInputFilter filter;
    QApplication::instance()->installEventFilter(&filter);
    QApplication::processEvents();
    QApplication::instance()->removeEventFilter(&filter);
  }
}

void QtPlatform::PutImageOnClipboard(const QImage& image) {
  QClipboard* clipboard = QApplication::clipboard();
  clipboard->clear();
  clipboard->setImage(image);
}

}  // namespace kessadon::app
