#include "app/valuation_form.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>
#include <utility>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QHelpEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QToolTip>
#include <QUrl>

#include "app/icon.h"

namespace orvane::app {
namespace {

// Left, top, width, height in twips, relative to the frame that holds the widget.
struct Twips {
  int left, top, width, height;
};

struct FrameSpec {
  const char* name;
  const char* parent;   // nullptr: the window
  const char* caption;  // nullptr: a plain frame without border or caption
  Twips place;
};

constexpr FrameSpec kFrames[] = {
    {"Message", nullptr, "The Quillby Says", {240, 240, 7575, 1095}},
    {"Frame5", nullptr, "Present Value of Benefit", {8160, 360, 3255, 855}},
    {"Frame3", nullptr, "Benefit Information", {240, 1440, 3255, 2295}},
    {"Frame4", nullptr, "Mortality and other assumptions", {3550, 1440, 7865, 3500}},
    {"Frame7", "Frame4", nullptr, {120, 1400, 7600, 400}},
    {"Frame8", "Frame4", nullptr, {120, 3000, 7600, 400}},
    {"Frame2", nullptr, "Interest rate information", {240, 3785, 2775, 3135}},
    {"Frame1", nullptr, "Ages", {4000, 5020, 3255, 1900}},
    {"Frame6", nullptr, "Dates", {8150, 5020, 3255, 1900}},
    {"Frame9", nullptr, "Full Yield Curve", {240, 6960, 7000, 735}},
};

struct LabelSpec {
  const char* name;
  const char* frame;
  const char* caption;
  Twips place;
};

// The labels beside the fields are 300 high at left 120, 1300 wide in Frame2 and 1800 wide in
// Frame1, Frame3 and Frame6. Labels of the check boxes reach to their box, so that their
// captions fit on one line.
constexpr LabelSpec kLabels[] = {
    {"Label3", "Frame1", "Participant's Current Age", {120, 255, 1800, 300}},
    {"Label4", "Frame1", "Spouse's Current Age", {120, 650, 1800, 300}},
    {"Label5", "Frame1", "Retirement Age", {120, 1050, 1800, 300}},
    {"Label14", "Frame1", "Use Rounded Age", {120, 1450, 1800, 300}},
    {"Label7", "Frame2", "Interest Rate 1", {120, 255, 1300, 300}},
    {"Label8", "Frame2", "Interest Rate 2", {120, 650, 1300, 300}},
    {"Label9", "Frame2", "Interest Rate 3", {120, 1050, 1300, 300}},
    {"Label10", "Frame2", "Period 1", {120, 1450, 1300, 300}},
    {"Label11", "Frame2", "Period 2", {120, 1850, 1300, 300}},
    {"Label13", "Frame2", "Post Retirement", {120, 2250, 1300, 300}},
    {"Label12", "Frame2", "Applied as Yield Curve", {120, 2640, 2000, 300}},
    {"Label15", "Frame3", "Initial Benefit", {120, 250, 1800, 300}},
    {"Label16", "Frame3", "Maximum Benefit", {120, 650, 1800, 300}},
    {"Label17", "Frame3", "Period Certain", {120, 1050, 1800, 300}},
    {"Label18", "Frame3", "% to survivor", {120, 1450, 1800, 300}},
    {"Label19", "Frame3", "Post Retirement COLA", {120, 1850, 1800, 300}},
    {"Label20", "Frame4", "Pre Retirement", {1000, 360, 3350, 300}},
    {"Label21", "Frame4", "Post Retirement", {4450, 360, 3350, 300}},
    {"Label22", "Frame4", "Primary", {120, 650, 880, 300}},
    {"Label23", "Frame4", "Contingent", {120, 1050, 880, 300}},
    {"Label25", "Frame4", "Load", {120, 2650, 1300, 300}},
    {"Label24", "Frame7", "Projection", {0, 50, 1500, 300}},
    {"Label28", "Frame8", "Partipant's Sex", {0, 50, 1500, 300}},
    {"Label1", "Frame6", "Date of Birth", {120, 250, 1800, 300}},
    {"Label2", "Frame6", "Spouse's Date of Birth", {120, 650, 1800, 300}},
    {"Label26", "Frame6", "Retirement Date", {120, 1050, 1800, 300}},
    {"Label27", "Frame6", "Valuation Date", {120, 1450, 1800, 300}},
    {"Label31", "Frame9", "Use Full Yield Curve", {120, 255, 2000, 300}},
    {"Label29", "Frame9", "Year", {3840, 255, 600, 300}},
    {"Label30", "Frame9", "Month", {5600, 255, 650, 300}},
};

struct ControlSpec {
  Control control;
  const char* frame;    // nullptr: the window
  const char* caption;  // the control's own caption, or nullptr
  Twips place;
};

constexpr int kField = 1000;  // a text field's usual width
constexpr int kFieldHigh = 300;

constexpr ControlSpec kControls[] = {
    {Control::CurrentAge, "Frame1", nullptr, {2000, 255, kField, kFieldHigh}},
    {Control::SpousesAge, "Frame1", nullptr, {2000, 650, kField, kFieldHigh}},
    {Control::RetirementAge, "Frame1", nullptr, {2000, 1050, kField, kFieldHigh}},
    {Control::UseRoundedAge, "Frame1", nullptr, {2700, 1450, 300, 300}},
    {Control::InterestRate1, "Frame2", nullptr, {1500, 255, kField, kFieldHigh}},
    {Control::InterestRate2, "Frame2", nullptr, {1500, 650, kField, kFieldHigh}},
    {Control::InterestRate3, "Frame2", nullptr, {1500, 1050, kField, kFieldHigh}},
    {Control::Period1, "Frame2", nullptr, {1500, 1450, kField, kFieldHigh}},
    {Control::Period2, "Frame2", nullptr, {1500, 1850, kField, kFieldHigh}},
    {Control::YieldCurve, "Frame2", nullptr, {2205, 2640, 300, 300}},
    {Control::PostRetirementInterest, "Frame2", nullptr, {1500, 2250, kField, kFieldHigh}},
    {Control::Benefit, "Frame3", nullptr, {2000, 250, kField, kFieldHigh}},
    {Control::Maximum, "Frame3", nullptr, {2000, 650, kField, kFieldHigh}},
    {Control::PeriodCertain, "Frame3", nullptr, {2000, 1050, kField, kFieldHigh}},
    {Control::PercentToSurvivor, "Frame3", nullptr, {2000, 1450, kField, kFieldHigh}},
    {Control::COLA, "Frame3", nullptr, {2000, 1850, kField, kFieldHigh}},
    {Control::PreRetPrimary, "Frame4", nullptr, {1000, 650, 3350, 315}},
    {Control::PostRetContingent, "Frame4", nullptr, {4450, 1050, 3350, 315}},
    {Control::PreRetContingent, "Frame4", nullptr, {1000, 1050, 3350, 315}},
    {Control::PostRetPrimary, "Frame4", nullptr, {4450, 650, 3350, 315}},
    {Control::BlendedAnnuitnat, "Frame4", "Blend Annuitant - Nonannuitant", {10, 1850, 2625, 345}},
    {Control::Load, "Frame4", nullptr, {1500, 2650, kField, kFieldHigh}},
    {Control::BlendedMaleFemale, "Frame4", "Blend Male Female", {15, 2250, 1755, 345}},
    {Control::NoProjection, "Frame7", "No Projection", {1500, 50, 1575, 300}},
    {Control::ProjToValuation, "Frame7", "To Valuation", {3000, 50, 1575, 300}},
    {Control::ProjToRetirement, "Frame7", "To Retirement", {4500, 50, 1575, 300}},
    {Control::ProjToPayment, "Frame7", "To Payment", {6000, 50, 1575, 300}},
    {Control::Female, "Frame8", "Female", {3000, 50, 1575, 300}},
    {Control::Male, "Frame8", "Male", {1500, 45, 1215, 300}},
    {Control::UsePreamble, "Frame4", "Use adjustment from Preamble", {3495, 1845, 2550, 345}},
    {Control::ExportMortality, "Frame4", "Export Mortality Tables", {3495, 2250, 2550, 375}},
    {Control::DateOfBirth, "Frame6", nullptr, {2000, 250, kField, kFieldHigh}},
    {Control::SpousesDateOfBirth, "Frame6", nullptr, {2000, 650, kField, kFieldHigh}},
    {Control::RetirementDate, "Frame6", nullptr, {2000, 1050, kField, kFieldHigh}},
    {Control::ValuationDate, "Frame6", nullptr, {2000, 1450, kField, kFieldHigh}},
    {Control::FullYieldCurve, "Frame9", nullptr, {2205, 255, 300, 300}},
    {Control::YearOfYieldCurve, "Frame9", nullptr, {4440, 255, 500, 300}},
    {Control::MonthOfYieldCurve, "Frame9", nullptr, {6250, 255, 500, 300}},
    {Control::ExportDetail, nullptr, "Export Calculation Detail", {7560, 7080, 2550, 375}},
};

// Sorted by the controls' tab indices.
constexpr Control kTabOrder[] = {
    Control::CurrentAge,
    Control::SpousesAge,
    Control::RetirementAge,
    Control::InterestRate1,
    Control::InterestRate2,
    Control::InterestRate3,
    Control::Period1,
    Control::Period2,
    Control::YieldCurve,
    Control::PostRetirementInterest,
    Control::UseRoundedAge,
    Control::Benefit,
    Control::Maximum,
    Control::PeriodCertain,
    Control::PercentToSurvivor,
    Control::COLA,
    Control::PreRetPrimary,
    Control::PostRetContingent,
    Control::PreRetContingent,
    Control::PostRetPrimary,
    Control::BlendedAnnuitnat,
    Control::Load,
    Control::DateOfBirth,
    Control::SpousesDateOfBirth,
    Control::RetirementDate,
    Control::ValuationDate,
    Control::BlendedMaleFemale,
    Control::NoProjection,
    Control::ProjToValuation,
    Control::ProjToRetirement,
    Control::ProjToPayment,
    Control::Female,
    Control::Male,
    Control::UsePreamble,
    Control::ExportMortality,
    Control::FullYieldCurve,
    Control::YearOfYieldCurve,
    Control::MonthOfYieldCurve,
    Control::ExportDetail,
};

constexpr Control kChoosers[] = {Control::PreRetPrimary, Control::PostRetContingent,
                                 Control::PreRetContingent, Control::PostRetPrimary};

constexpr double kBodyPoints = 8.0;
constexpr double kCaptionPoints = 12.0;  // the caption of Frame5
constexpr double kResultPoints = 9.75;   // orvaneresults
// The reason of a failed recalculation is shown in a band under the designed form, across the
// window, at a size read without effort at 96 dpi; four lines hold every reason but one naming a
// file in a deep folder, and for that one the band grows instead of the text shrinking.
constexpr double kFailurePoints = 8.25;
constexpr int kDesignedWidth = 11655;  // the client area of the designed form, in twips
constexpr int kDesignedHeight = 8085;
constexpr Twips kFailureBand = {240, kDesignedHeight, 11175, 960};
constexpr int kBottomMargin = 120;

// The control at fault is marked with this background until a recalculation succeeds.
const QColor kFaultColour(255, 214, 214);
constexpr double kSmallestPoints = 5.5;  // the message area shrinks its font down to this
constexpr double kSmallestCaptionPoints = 6.5;

// The form's typeface; where "MS Sans Serif" is missing, the nearest sans-serif stands in.
QFont FormFont(double points, bool bold) {
  QFont font;
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                    QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// A stand-in face may be wider than the design's: shrinks the caption of a label, check box or
// option button a little, down to kSmallestCaptionPoints, until it fits the designed width.
void FitCaption(QWidget* widget) {
  QFont font = widget->font();
  while (widget->sizeHint().width() > widget->width() &&
         font.pointSizeF() - 0.25 >= kSmallestCaptionPoints) {
    font.setPointSizeF(font.pointSizeF() - 0.25);
    widget->setFont(font);
  }
}

// The form model holds single-byte text (the data file's names compare byte for byte).
QString FromForm(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToForm(const QString& text) {
  return text.toLatin1().toStdString();
}

// Lets a long path wrap after each folder: a zero-width space after every slash.
QString Breakable(QString text) {
  text.replace(QLatin1Char('/'), QStringLiteral("/\u200B"));
  return text;
}

// Shows `text` in `label`, word-wrapped, at the largest size from `points` down to
// kSmallestPoints at which it fits the label's box; the whole text is also the tooltip.
void ShowFitted(QLabel* label, const QString& text, double points, bool bold) {
  QFont font = FormFont(points, bold);
  for (double size = points; size >= kSmallestPoints; size -= 0.5) {
    font.setPointSizeF(size);
    const QRect needed = QFontMetrics(font, label)
                             .boundingRect(QRect(0, 0, label->width(), 1 << 20),
                                           Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    if (needed.height() <= label->height())
      break;
  }
  label->setFont(font);
  label->setText(text);
  label->setToolTip(text);
}

// A new, empty file "<stem> <yyyyMMdd-HHmmss>-<n>.xlsx" in `folder`, created exclusively so that
// no earlier workbook (of this or another running window) is ever overwritten; empty when the
// folder takes no new file.
QString ReserveWorkbookFile(const QString& folder, const QString& stem) {
  if (folder.isEmpty())
    return {};  // no temporary folder; never fall back to the current directory
  const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
  const QDir dir(folder);
  for (int n = 1; n <= 1000; ++n) {
    const QString path = dir.filePath(QStringLiteral("%1 %2-%3.xlsx").arg(stem, stamp).arg(n));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
      return path;
    if (!file.exists())
      return {};
  }
  return {};
}

}  // namespace

tables::RetryAnswer AskDataFileRetry(QWidget* parent, const QString& detail) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Orvane"),
                  QStringLiteral("Data File not available, retry"),
                  QMessageBox::Ok | QMessageBox::Cancel, parent);
  box.setObjectName(QStringLiteral("DataFileQuestion"));
  box.setInformativeText(detail);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Cancel);
  return box.exec() == QMessageBox::Ok ? tables::RetryAnswer::kRetry : tables::RetryAnswer::kCancel;
}

QString DataFileWhereabouts(const std::filesystem::path& file,
                            const std::filesystem::path& installed) {
  std::error_code ignored;
  const auto shown = [&ignored](const std::filesystem::path& path) {
    return QString::fromStdString(std::filesystem::absolute(path, ignored).lexically_normal());
  };
  QString text = QStringLiteral("File: %1\nLooked for in: %2 (the current folder)")
                     .arg(shown(file), shown(std::filesystem::current_path(ignored)));
  if (!installed.empty())
    text += QStringLiteral(", then %1 (the installed data folder)").arg(shown(installed));
  return text;
}

ValuationForm::ValuationForm(FormEnvironment environment, FileOpener open_file, QWidget* parent)
    : QWidget(parent), model_(std::move(environment)), open_file_(std::move(open_file)) {
  if (!open_file_) {
    open_file_ = [](const QString& path) {
      return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
  }
  setObjectName(QStringLiteral("Orvane"));
  setWindowTitle(QStringLiteral("Orvane"));
  setWindowIcon(QIcon(DrawOrvaneIcon()));
  setFont(FormFont(kBodyPoints, false));
  dpi_ = logicalDpiX();
  setFixedSize(Pixels(kDesignedWidth),
               Pixels(kFailureBand.top + kFailureBand.height + kBottomMargin));

  BuildFrames();
  BuildLabels();
  BuildMessageArea();
  BuildResultArea();
  BuildFailureBand();
  BuildControls();
  SetTabOrder();

  connect(qApp, &QApplication::focusChanged, this, &ValuationForm::OnFocusChanged);
  model_.SetChangeListener([this] { Refresh(); });

  // The window load event: the form's start-up, then the choosers' lists.
  Forward([this] { model_.Load(); });
  QStringList entries;
  for (const std::string& entry : model_.TableList()) entries << FromForm(entry);
  for (Control chooser : kChoosers) {
    auto* combo = static_cast<QComboBox*>(WidgetOf(chooser));
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(entries);
    FitChooserList(combo, entries);
  }
  Refresh();
  WidgetOf(Control::CurrentAge)->setFocus(Qt::OtherFocusReason);
}

ValuationForm::~ValuationForm() {
  // The children die after this body; no focus change or model notice may reach a half-destroyed
  // window.
  disconnect(qApp, &QApplication::focusChanged, this, &ValuationForm::OnFocusChanged);
  model_.SetChangeListener({});
}

QWidget* ValuationForm::WidgetOf(Control control) const {
  return widgets_[static_cast<std::size_t>(control)];
}

std::optional<Control> ValuationForm::ControlOf(const QWidget* widget) const {
  // Walk up to the control that owns a child widget, but never out of a popup or dialog window.
  for (const QWidget* w = widget; w != nullptr; w = w->isWindow() ? nullptr : w->parentWidget()) {
    for (int i = 0; i < kControlCount; ++i) {
      if (widgets_[static_cast<std::size_t>(i)] == w)
        return static_cast<Control>(i);
    }
  }
  return std::nullopt;
}

int ValuationForm::Pixels(int twips) const {
  return qRound(twips * dpi_ / 1440.0);
}

void ValuationForm::BuildFrames() {
  for (const FrameSpec& entry : kFrames) {
    QWidget* parent = entry.parent ? findChild<QWidget*>(QLatin1String(entry.parent)) : this;
    QWidget* frame = nullptr;
    if (entry.caption)
      frame = new QGroupBox(QString::fromLatin1(entry.caption), parent);
    else
      frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(entry.name));
    const Twips& p = entry.place;
    frame->setGeometry(Pixels(p.left), Pixels(p.top), Pixels(p.left + p.width) - Pixels(p.left),
                       Pixels(p.top + p.height) - Pixels(p.top));
  }
  findChild<QWidget*>(QStringLiteral("Frame5"))->setFont(FormFont(kCaptionPoints, true));
}

void ValuationForm::BuildLabels() {
  for (const LabelSpec& entry : kLabels) {
    auto* label = new QLabel(QString::fromLatin1(entry.caption),
                             findChild<QWidget*>(QLatin1String(entry.frame)));
    label->setObjectName(QLatin1String(entry.name));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const Twips& p = entry.place;
    label->setGeometry(Pixels(p.left), Pixels(p.top), Pixels(p.left + p.width) - Pixels(p.left),
                       Pixels(p.top + p.height) - Pixels(p.top));
    FitCaption(label);
  }
}

void ValuationForm::BuildMessageArea() {
  auto* frame = findChild<QWidget*>(QStringLiteral("Message"));
  auto* picture = new QLabel(frame);
  picture->setObjectName(QStringLiteral("Picture1"));
  picture->setPixmap(DrawOrvaneIcon());
  picture->setAlignment(Qt::AlignCenter);
  picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  picture->setGeometry(Pixels(120), Pixels(240), Pixels(735) - Pixels(120),
                       Pixels(855) - Pixels(240));

  message_ = new QLabel(QStringLiteral("Calculate present values"), frame);
  message_->setObjectName(QStringLiteral("Label6"));
  message_->setWordWrap(true);
  message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  message_->setGeometry(Pixels(960), Pixels(240), Pixels(7455) - Pixels(960),
                        Pixels(855) - Pixels(240));
}

void ValuationForm::BuildResultArea() {
  auto* frame = findChild<QWidget*>(QStringLiteral("Frame5"));
  result_ = new QLabel(frame);
  result_->setObjectName(QStringLiteral("orvaneresults"));
  result_->setFont(FormFont(kResultPoints, true));
  result_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  result_->setGeometry(Pixels(240), Pixels(360), Pixels(2175) - Pixels(240),
                       Pixels(735) - Pixels(360));
}

void ValuationForm::BuildFailureBand() {
  failure_ = new QLabel(this);
  failure_->setObjectName(QStringLiteral("FailureLine"));
  failure_->setFont(FormFont(kFailurePoints, false));
  failure_->setWordWrap(true);
  failure_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  failure_->setTextFormat(Qt::PlainText);
  QPalette palette = failure_->palette();
  palette.setColor(QPalette::WindowText, QColor(Qt::darkRed));
  failure_->setPalette(palette);
  // The tooltip's sensitivities are computed when it is asked for (eventFilter), so that a
  // recalculation costs no more for them.
  result_->installEventFilter(this);
  const Twips& p = kFailureBand;
  failure_->setGeometry(Pixels(p.left), Pixels(p.top), Pixels(p.left + p.width) - Pixels(p.left),
                        Pixels(p.top + p.height) - Pixels(p.top));
}

void ValuationForm::BuildControls() {
  for (const ControlSpec& entry : kControls) {
    QWidget* parent = entry.frame ? findChild<QWidget*>(QLatin1String(entry.frame)) : this;
    const QString caption = entry.caption ? QString::fromLatin1(entry.caption) : QString();
    QWidget* widget = nullptr;
    switch (KindOf(entry.control)) {
      case ControlKind::kTextField:
        widget = new QLineEdit(parent);
        break;
      case ControlKind::kTableChooser: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        widget = combo;
        break;
      }
      case ControlKind::kCheckBox:
        widget = new QCheckBox(caption, parent);
        break;
      case ControlKind::kOptionButton: {
        auto* option = new QRadioButton(caption, parent);
        option->setAutoExclusive(false);  // the model keeps each group exclusive
        widget = option;
        break;
      }
      case ControlKind::kButton: {
        auto* button = new QPushButton(caption, parent);
        button->setAutoDefault(false);
        widget = button;
        break;
      }
    }
    widget->setObjectName(QLatin1String(NameOf(entry.control).data(),
                                        static_cast<qsizetype>(NameOf(entry.control).size())));
    const Twips& p = entry.place;
    widget->setGeometry(Pixels(p.left), Pixels(p.top), Pixels(p.left + p.width) - Pixels(p.left),
                        Pixels(p.top + p.height) - Pixels(p.top));
    if (entry.caption && KindOf(entry.control) != ControlKind::kButton)
      FitCaption(widget);
    widgets_[static_cast<std::size_t>(entry.control)] = widget;
    normal_palettes_[static_cast<std::size_t>(entry.control)] = widget->palette();
    Connect(entry.control);

    // MouseMove of the control and of its parts (a chooser's line edit and arrow).
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    for (QWidget* part : widget->findChildren<QWidget*>()) {
      part->setMouseTracking(true);
      part->installEventFilter(this);
    }
  }
}

void ValuationForm::Connect(Control control) {
  QWidget* widget = WidgetOf(control);
  switch (KindOf(control)) {
    case ControlKind::kTextField:
      connect(static_cast<QLineEdit*>(widget), &QLineEdit::textEdited, this,
              [this, control](const QString& text) { OnTextTyped(control, text); });
      if (control == Control::InterestRate1 || control == Control::InterestRate2 ||
          control == Control::InterestRate3) {
        auto* edit = static_cast<QLineEdit*>(widget);
        edit->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(edit, &QWidget::customContextMenuRequested, this,
                [this, edit](const QPoint& at) { OnInterestMenu(edit, at); });
      }
      break;
    case ControlKind::kTableChooser:
      // Typed or picked from the list; the program's own rewrites are blocked in Refresh.
      connect(static_cast<QComboBox*>(widget), &QComboBox::editTextChanged, this,
              [this, control](const QString& text) { OnTextTyped(control, text); });
      break;
    case ControlKind::kCheckBox:
    case ControlKind::kOptionButton:
    case ControlKind::kButton: {
      auto* button = static_cast<QAbstractButton*>(widget);
      connect(button, &QAbstractButton::clicked, this,
              [this, control, button] { OnButtonClicked(control, button); });
      break;
    }
  }
}

// With some 140 entries of up to 130 characters, the open list is as wide as its widest entry
// (the field itself is narrow), typing the start of a name completes it in the field, and a
// picked entry shows its start, the table name, rather than the tail of its description.
// Completion is case-sensitive like the table names; text in another case is kept as typed.
void ValuationForm::FitChooserList(QComboBox* combo, const QStringList& entries) {
  auto* completer = new QCompleter(entries, combo);
  completer->setCaseSensitivity(Qt::CaseSensitive);
  completer->setCompletionMode(QCompleter::InlineCompletion);
  combo->setCompleter(completer);
  combo->view()->setTextElideMode(Qt::ElideNone);
  const QFontMetrics metrics(combo->view()->font());
  int widest = 0;
  for (const QString& entry : entries) widest = std::max(widest, metrics.horizontalAdvance(entry));
  combo->view()->setMinimumWidth(widest + metrics.averageCharWidth() * 4 +
                                 combo->view()->verticalScrollBar()->sizeHint().width());
  connect(combo, &QComboBox::activated, combo,
          [combo] { combo->lineEdit()->setCursorPosition(0); });
}

void ValuationForm::SetTabOrder() {
  for (std::size_t i = 1; i < std::size(kTabOrder); ++i)
    QWidget::setTabOrder(WidgetOf(kTabOrder[i - 1]), WidgetOf(kTabOrder[i]));
}

void ValuationForm::OnFocusChanged(QWidget* old_widget, QWidget* new_widget) {
  if (forwarding_)
    return;  // a dialog raised by an event under way; its focus moves are not the user's
  // Only a move between two controls of this window validates: losing the activation or opening
  // a chooser's list (a popup window) does not.
  const std::optional<Control> from = ControlOf(old_widget);
  const std::optional<Control> to = ControlOf(new_widget);
  if (from && to && *from != *to)
    Forward([this, from] { model_.Validate(*from); });
  if (to && to != focused_) {
    focused_ = to;
    Forward([this, to] { model_.GotFocus(*to); });
  }
}

void ValuationForm::OnTextTyped(Control control, const QString& text) {
  Forward([this, control, &text] { model_.SetText(control, ToForm(text)); });
}

void ValuationForm::OnButtonClicked(Control control, QAbstractButton* button) {
  switch (KindOf(control)) {
    case ControlKind::kCheckBox:
      Forward([this, control, button] {
        model_.SetChecked(control, button->isChecked());
        model_.Click(control);
      });
      break;
    case ControlKind::kOptionButton:
      // A click selects the button; a second click on a selected one changes nothing, as with
      // any option button, although Qt has toggled it off (Refresh shows the model's state).
      Forward([this, control] {
        model_.SetChecked(control, true);
        model_.Click(control);
      });
      break;
    case ControlKind::kButton:
      Forward([this, control] { model_.Click(control); });
      Export(control);
      break;
    default:
      break;
  }
}

void ValuationForm::Export(Control button) {
  const bool detail = button == Control::ExportDetail;
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
  const QString path =
      ReserveWorkbookFile(folder, detail ? QStringLiteral("Orvane Calculation Detail")
                                         : QStringLiteral("Orvane Mortality Tables"));
  if (path.isEmpty()) {
    ShowNote(QStringLiteral("The workbook was not written: no new file can be created in %1.")
                 .arg(QDir::toNativeSeparators(folder)));
    return;
  }
  const std::filesystem::path file(QFile::encodeName(path).toStdString());
  QString failure;
  forwarding_ = true;
  try {
    if (detail)
      model_.ExportDetail(file);
    else
      model_.ExportMortality(file);
  } catch (const std::exception& error) {
    failure = FromForm(error.what());
  }
  forwarding_ = false;
  Refresh();
  if (!failure.isEmpty()) {
    QFile::remove(path);
    ShowNote(QStringLiteral("The workbook was not written: %1").arg(failure));
    return;
  }
  if (!open_file_(path)) {
    ShowNote(QStringLiteral("The workbook was written to\n%1\nbut no program could open it.")
                 .arg(QDir::toNativeSeparators(path)));
  }
}

void ValuationForm::Forward(const std::function<void()>& event) {
  const bool outer = !forwarding_;
  forwarding_ = true;
  try {
    event();
  } catch (const std::exception& error) {
    // Only the data-file question answered Cancel escapes the model's handlers; the program
    // ends on that answer, so this is seen when the question is answered by someone else.
    note_ = error.what();
    note_recalculations_ = model_.RecalculationCount();
  }
  if (outer)
    forwarding_ = false;
  Refresh();
}

void ValuationForm::Refresh() {
  for (int i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    QWidget* widget = WidgetOf(control);
    switch (KindOf(control)) {
      case ControlKind::kTextField: {
        auto* edit = static_cast<QLineEdit*>(widget);
        const QString text = FromForm(model_.Text(control));
        if (edit->text() != text) {
          const QSignalBlocker block(edit);
          edit->setText(text);
        }
        break;
      }
      case ControlKind::kTableChooser: {
        auto* combo = static_cast<QComboBox*>(widget);
        const QString text = FromForm(model_.Text(control));
        if (combo->currentText() != text) {
          const QSignalBlocker block(combo);
          combo->setEditText(text);
          combo->lineEdit()->setCursorPosition(0);
        }
        break;
      }
      case ControlKind::kCheckBox:
      case ControlKind::kOptionButton: {
        auto* button = static_cast<QAbstractButton*>(widget);
        const bool checked = model_.Checked(control);
        if (button->isChecked() != checked) {
          const QSignalBlocker block(button);
          button->setChecked(checked);
        }
        break;
      }
      case ControlKind::kButton:
        break;
    }
  }
  const QString message = FromForm(model_.Message());
  if (message_->text() != message)
    ShowFitted(message_, message, kBodyPoints, false);
  result_->setText(FromForm(model_.Result()));
  ShowFailureLine();
}

void ValuationForm::ShowFailureLine() {
  if (!note_.empty() && model_.RecalculationCount() > note_recalculations_ &&
      model_.Failure().empty())
    note_.clear();  // a later recalculation has succeeded
  const std::string& reason = model_.Failure().empty() ? note_ : model_.Failure();
  const QString text = Breakable(FromForm(reason));
  if (failure_->text() != text) {
    failure_->setText(text);
    // The whole reason stays readable: a band too small for it makes the window taller.
    const int band =
        std::max(Pixels(kFailureBand.height), failure_->heightForWidth(failure_->width()));
    failure_->resize(failure_->width(), band);
    setFixedSize(width(), failure_->y() + band + Pixels(kBottomMargin));
  }
  MarkControlAtFault();
}

void ValuationForm::MarkControlAtFault() {
  const std::optional<Control> at_fault =
      model_.Failure().empty() ? std::nullopt : model_.FailureControl();
  for (int i = 0; i < kControlCount; ++i) {
    QWidget* widget = widgets_[static_cast<std::size_t>(i)];
    const bool mark = at_fault == static_cast<Control>(i);
    if (widget->property(kAtFault).toBool() == mark)
      continue;
    widget->setProperty(kAtFault, mark);
    QPalette palette = normal_palettes_[static_cast<std::size_t>(i)];
    if (mark) {
      for (QPalette::ColorRole role : {QPalette::Base, QPalette::Window, QPalette::Button})
        palette.setColor(role, kFaultColour);
    }
    widget->setPalette(palette);
    // Check boxes and option buttons show the colour only on a filled background.
    if (KindOf(static_cast<Control>(i)) == ControlKind::kCheckBox ||
        KindOf(static_cast<Control>(i)) == ControlKind::kOptionButton)
      widget->setAutoFillBackground(mark);
  }
}

void ValuationForm::ShowNote(const QString& text) {
  auto* note =
      new QMessageBox(QMessageBox::Warning, QStringLiteral("Orvane"), text, QMessageBox::Ok, this);
  note->setObjectName(QStringLiteral("ExportNote"));
  note->setAttribute(Qt::WA_DeleteOnClose);
  note->setWindowModality(Qt::NonModal);
  note->show();
}

bool ValuationForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == result_ && event->type() == QEvent::ToolTip) {
    std::string text;
    Forward([this, &text] { text = model_.ResultToolTip(); });
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), FromForm(text), result_);
    return true;
  }
  if (event->type() == QEvent::MouseMove && !forwarding_) {
    if (const std::optional<Control> control = ControlOf(qobject_cast<QWidget*>(watched)))
      Forward([this, control] { model_.MouseMove(*control); });
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace orvane::app
