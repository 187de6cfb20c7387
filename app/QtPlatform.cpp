#include "QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>

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

std::optional<QString> QtPlatform::OpenFileName(QWidget* parent, const QString& filter) {
  const QString path =
      QFileDialog::getOpenFileName(parent, QString(), QString(), ToQtFilter(filter));
  if (path.isEmpty()) return std::nullopt;
  return path;
}

std::optional<QString> QtPlatform::SaveFileName(QWidget* parent, const QString& filter) {
  // The program asks its own overwrite question, so the dialog must not.
  QString chosen;
  QString path = QFileDialog::getSaveFileName(parent, QString(), QString(), ToQtFilter(filter),
                                              &chosen, QFileDialog::DontConfirmOverwrite);
  if (path.isEmpty()) return std::nullopt;
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
