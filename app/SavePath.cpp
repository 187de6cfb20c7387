#include "SavePath.h"

#include <QFileInfo>

#include "MainContext.h"
#include "Platform.h"

namespace kessadon::app {

QString OverwriteQuestion(const QString& path) {
  return path + " はすでに存在しています．" + "\r\n" + "既存のファイルに上書きしますか？";
}

std::optional<QString> AskSavePath(MainContext& context, const QString& filter) {
  std::optional<QString> path = context.platform->SaveFileName(context.window, filter);
  if (!path) return std::nullopt;
  // The writers replace the old file only once the new one is complete, so the
  // old file is not deleted here: a failed write leaves it as it was.
  if (QFileInfo::exists(*path) &&
      !context.platform->AskYesNo(context.window, OverwriteQuestion(*path))) {
    return std::nullopt;
  }
  return path;
}

}  // namespace kessadon::app
