#include "FieldHelp.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QStatusBar>
#include <QWidget>
#include <cmath>
#include <limits>

#include "Controls.h"
#include "MainContext.h"
#include "Platform.h"
#include "io/NumberText.h"

namespace kessadon::app {
namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

struct Help {
  const char* name;
  const char* tip;
  // Number fields only: the field as a message names it, and its range
  // (NaN: no limit on that side; `above` makes the lower limit exclusive).
  const char* field = nullptr;
  double low = kNone, high = kNone;
  bool above = false;
};

// Node counts beyond this could never be estimated or held; weights beyond
// this leave the other terms below the rounding of the data's.
constexpr double kMaxNodes = 100'000;
constexpr double kMaxWeight = 1e12;

const Help kHelp[] = {
    // Grid files and measured-data files.
    {"cmdOpenGridData", "格子データファイル（.grd, .txt）や GeoTIFF などのラスタを開きます"},
    {"cmdOpenMem", "数値地図（.mem, .sem）を開きます"},
    {"cmdSaveGridData", "今の格子データをファイルに保存します（拡張子で形式が決まります）"},
    {"cmdSaveUncertainty",
     "「推定の標準偏差」で求めた各点の標準偏差を格子データとしてファイルに保存します"},
    {"optData1", "各行が id, x, y, z の測定データファイルです"},
    {"optData2", "各行が id, x, y, z, l の測定データファイルです（l：0 標高、1 下限、-1 上限）"},
    {"optData3", "各行が id, x, y, z, l, trend, dip の測定データファイルです（走向・傾斜つき）"},
    {"optData4", "標高の部と走向・傾斜の部を区切りの行でつないだ測定データファイルです"},
    {"optData5", "格子データファイルの節点を id, x, y, z の測定データとして読みます"},
    {"cmdOpenData", "選んだ種類の測定データファイルを新しく読み込みます"},
    {"cmdOpenDataAdd", "測定データファイルを今のデータに追加します（合わせて 20 ファイルまで）"},
    {"cmdClear", "測定データと格子データを消して最初の状態に戻します"},
    {"cmdOpenFaults",
     "断層線（x, y を 1 行に 1 点のテキスト、または GIS の線のレイヤー）を開きます。次の推定は"
     "断層で面を切り、図は断層線を描きます"},
    {"cmdClearFaults", "開いた断層線をすべて外します"},
    {"lstDataFile", "これまでに読み込んだ測定データファイルです"},
    // Estimation.
    {"txtXmin", "推定する格子の西の端（最初の節点）の x 座標です（データと同じ単位）", "X min"},
    {"txtYmin", "推定する格子の南の端（最初の節点）の y 座標です（データと同じ単位）", "Y min"},
    {"txtXmax", "推定する格子の東の端（最後の節点）の x 座標です（X min より大きく）", "X Max"},
    {"txtYmax", "推定する格子の北の端（最後の節点）の y 座標です（Y min より大きく）", "Y Max"},
    {"txtXGridH", "x 方向の節点の数です（2 以上の整数）", "Nx(X Grid)", 2, kMaxNodes},
    {"txtYGridH", "y 方向の節点の数です（2 以上の整数）", "Ny(Y Grid)", 2, kMaxNodes},
    {"txtM1", "傾きの項 J1 の重みです（0 以上）", "m1", 0, kMaxWeight},
    {"txtM2", "曲率の項 J2 の重みです（0 以上）", "m2", 0, kMaxWeight},
    {"txtRatio", "傾斜データの重みと位置データの重みの比です（0 以上）", "Beta/Alpha", 0,
     kMaxWeight},
    {"txtAlphaMin", "位置データの重み α です。上下限データがあるときは最初の回の α（0 より大きく）",
     "α(min)", 0, kMaxWeight, true},
    {"txtAlphaMax", "上下限データがあるときの最後の回の α です（α(min) より大きく）", "α(max)", 0,
     kMaxWeight, true},
    {"txtNitr", "上下限データがあるときの繰り返し回数です（2〜1000 回）", "繰り返し回数", 2, 1000},
    {"txtXexp", "推定する範囲を x の両側に広げる割合です。格子の数に対して 0〜50(%)",
     "推定する範囲を拡張 Ｘ（％）", 0, 50},
    {"txtYexp", "推定する範囲を y の両側に広げる割合です。格子の数に対して 0〜50(%)",
     "推定する範囲を拡張 Ｙ（％）", 0, 50},
    {"cmdHorizon", "測定データから格子データを推定します（実行中は 中止 か Esc で止められます）"},
    {"cmdAutoWeights",
     "α(min) をデータから選びます（一般化交差検証）。傾斜データがあるときは Beta/Alpha も"
     "選びます。選んだ値は書き換えられます。上下限データがあるときは α(max) "
     "も同じ割合で変わります"},
    {"chkDrawCon", "推定の後に平面図でコンターと測定データを描きます"},
    {"cmdDataView", "測定データの分布を描画ウィンドウに描きます"},
    {"cmdDataView2", "測定データを描画ウィンドウに描きます"},
    {"txtXGridG", "変更後の x 方向の節点の数です（2 以上の整数）", "Ｘ Grid (Nx')", 2},
    {"txtYGridG", "変更後の y 方向の節点の数です（2 以上の整数）", "Ｙ Grid (Ny')", 2},
    {"cmdG2g", "今の格子データを同じ範囲で Nx' × Ny' の格子に補間します"},
    {"cmdGridChange", "オリジナルの格子データと格子数を変更したデータを切り替えます"},
    // View and picture.
    {"txtAlpha", "視点の方向です。北から時計回りの角度（度、0〜360）", "視点方向"},
    {"txtGamma", "視点の伏角です。水平から下向きの角度（度、90 で真上から）", "視点伏角"},
    {"txtVe", "高さの強調の倍率です（1 で実際の高さ）", "高さの強調"},
    {"txtSca", "図の拡大率です（1 で格子の長い辺が窓の短い辺の半分、0 より大きく）", "図の拡大率",
     0, kNone, true},
    {"txtZbase", "台座の底面の高さです（データと同じ単位）", "底面の高さ"},
    {"chkBase", "格子の下に台座を描きます"},
    {"txtDist", "視点から図の中心までの距離です（データと同じ単位、0 より大きく）", "視点距離", 0,
     kNone, true},
    {"txtPpz", "透視面の位置です。図の中心から視点の側へ測ります（視点距離より小さく）", "透視面"},
    {"chkPers", "透視投影で描きます（遠くほど小さく見えます）"},
    {"cmd3DDefault", "default.txt の値で 3 次元の見え方を設定します"},
    {"cmd2D", "真上から見た平面図の設定にします"},
    {"cmdDisplayGrid", "格子線の図を描きます"},
    {"cmdDisplayContour", "コンター線の図を描きます"},
    {"cmdDisplayShade", "光源による陰影を白黒で描きます"},
    {"cmdDisplayColorContour", "高さで色分けした図を描きます"},
    {"cmdDisplayColorShade", "高さの色分けに陰影をつけた図を描きます"},
    {"cmdDisplayData", "今の図に測定データを重ねて描きます（面に隠れる点は描きません）"},
    {"cmdExportContours",
     "今のコンターの開始値・終了値・間隔のコンター線を GIS の線のレイヤー（.gpkg, .geojson, "
     ".shp）に書き出します"},
    {"cmdColor", "色分けの凡例を別の窓に表示します（その窓の右クリックで画像に保存できます）"},
    {"cmdImageClear", "描画ウィンドウの図を消します"},
    {"cmdDisplayUncertainty",
     "推定した格子の各点の高さの標準偏差（データの誤差 σ と重みから見た確からしさ）を"
     "求め、平面図に色分けして描きます。データから離れた所ほど大きくなります"},
    {"chkBack", "背景を黒く、線を白くします（次に描く図から）"},
    {"chkAutoRedraw", "描いた図を保持して、窓が隠れても描き直します"},
    {"chkScaleLine", "図にスケール線を描きます"},
    {"chkScaleBar", "平面図の左下に縮尺（地図の単位）、右上に北を指す矢印を描きます"},
    {"chkWaku", "格子の枠線を描きます"},
    {"optWaku2", "枠線を手前の 2 辺だけ描きます"},
    {"optWaku4", "枠線を 4 辺とも描きます"},
    {"cmdSaveImage",
     "描画ウィンドウの図を BMP・PNG の画像か、線と文字を保ったまま SVG・PDF "
     "のベクトル図に保存します"},
    {"cmdCopyImage", "描画ウィンドウの図をクリップボードにコピーします"},
    // Contours, colours and light.
    {"txtCst", "最初のコンターの高さです（データと同じ単位）", "開始値"},
    {"txtCen", "最後のコンターの高さです（データと同じ単位）", "終了値"},
    {"txtCin", "コンターの間隔です（データと同じ単位）", "間隔"},
    {"txtSepInt", "自動で決めるときの分割数です（1〜32767）", "分割数", 1, 32767},
    {"cmdContourAuto", "格子の高さの範囲と分割数から開始値・終了値・間隔を決めます"},
    {"chkContour", "図にコンター線を描き込みます"},
    {"opt_1", "20 色のカラーテーブルを使います"},
    {"opt_2", "43 色のカラーテーブルを使います"},
    {"opt_3", "36 色のカラーテーブルを使います"},
    {"opt_4", "44 色のカラーテーブルを使います"},
    {"cmdColorTable", "カラーテーブルのファイルを選んで読み込みます"},
    {"txtRo", "光源の方向です。北から時計回りの角度（度、0〜360）", "光源方向"},
    {"txtTh", "光源の伏角です。水平から下向きの角度（度、0〜90）", "光源伏角"},
    {"chkHisto", "陰影の明るさをヒストグラム平滑化でならします"},
    {"cmdDefaultLight", "default.txt の光源の値を入れます"},
    // Measured data on the picture.
    {"opt_sd", "測定点に走向・傾斜の記号を描きます"},
    {"opt_z", "標高のある測定点だけを描きます"},
    {"chkDip", "記号のそばに傾斜の値（と標高）を書きます"},
    {"txtSdBai", "走向・傾斜記号の大きさの倍率です（1 で標準、0 より大きく）",
     "走向・傾斜記号の倍率", 0, kNone, true},
    {"txtChrSize", "測定点の文字の大きさです（ポイント、5〜18 がおすすめ、1 以上）", "文字の大きさ",
     1},
    {"OptDataBlack", "測定点の文字を黒で書きます"},
    {"OptDataWhite", "測定点の文字を白で書きます"},
    // Under the tabs.
    {"cmdStop", "実行中の推定を止めます（Esc）"},
    {"cmdVersion", "バージョン情報を表示します"},
    {"cmdEnd", "プログラムを終了します（保存していない格子データがあれば確かめます）"},
};

const Help* HelpOf(const QWidget* widget) {
  for (const Help& help : kHelp) {
    if (widget->objectName() == help.name) return &help;
  }
  return nullptr;
}

// "0〜50 に", "2 以上に", "0 より大きく", to go before "してください".
QString Range(const Help& h) {
  if (!std::isnan(h.high) && h.above) {
    return NumberText(h.low) + " より大きく " + NumberText(h.high) + " 以下に";
  }
  if (!std::isnan(h.high)) return NumberText(h.low) + "〜" + NumberText(h.high) + " に";
  return NumberText(h.low) + (h.above ? " より大きく" : " 以上に");
}

}  // namespace

void SetToolTips(QWidget* window) {
  for (const Help& help : kHelp) {
    if (QWidget* control = window->findChild<QWidget*>(help.name)) control->setToolTip(help.tip);
  }
}

std::optional<QString> FieldProblem(const QLineEdit* box) {
  const Help* help = HelpOf(box);
  const std::string text = FromQ(box->text());
  if (!help || !help->field || IsBlankField(text)) return std::nullopt;
  const QString name = QString("「%1」").arg(help->field);
  const std::optional<double> value = ParseNumberField(text);
  if (!value) return name + "に数値がありません（" + box->text() + "）";
  if (!std::isfinite(*value)) return name + "の値が大きすぎます（" + box->text() + "）";
  if (std::isnan(help->low)) return std::nullopt;
  const bool tooLow = help->above ? !(*value > help->low) : !(*value >= help->low);
  const bool tooHigh = !std::isnan(help->high) && *value > help->high;
  if (!tooLow && !tooHigh) return std::nullopt;
  return name + "は " + Range(*help) + "してください（今は " + NumberText(*value) + "）";
}

bool RefuseFieldProblems(MainContext& context, std::initializer_list<const QLineEdit*> boxes) {
  for (const QLineEdit* box : boxes) {
    if (!box->isEnabled()) continue;
    if (std::optional<QString> problem = FieldProblem(box)) {
      context.platform->ShowMessage(context.window, *problem);
      return true;
    }
  }
  return false;
}

void ConnectFieldChecks(MainContext& context) {
  for (QLineEdit* box : context.window->findChildren<QLineEdit*>()) {
    const Help* help = HelpOf(box);
    if (!help || !help->field) continue;
    QObject::connect(box, &QLineEdit::editingFinished, box, [&context, box, help] {
      if (std::optional<QString> problem = FieldProblem(box)) {
        context.ShowStatus(*problem);
      } else if (context.statusBar != nullptr && context.statusBar->currentMessage().startsWith(
                                                     QString("「%1」").arg(help->field))) {
        // The field was mended: its message goes with the fault.
        context.statusBar->clearMessage();
      }
    });
  }
}

}  // namespace kessadon::app
