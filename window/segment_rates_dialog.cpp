#include "window/segment_rates_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace orvane::window {

using segment_rates::kSegmentRatesFileName;

namespace {

constexpr const char* kStabilityCaptions[] = {"Calendar month", "Calendar quarter", "Plan quarter",
                                              "Calendar year", "Plan year"};

}  // namespace

SegmentRatesDialog::SegmentRatesDialog(const SegmentRateFile& file, BasisPreview preview,
                                       const PlanTerms& terms, bool by_terms, QWidget* parent)
    : QDialog(parent), file_(file), preview_(std::move(preview)) {
  setObjectName(QStringLiteral("SegmentRatesDialog"));
  setWindowTitle(QStringLiteral("417(e) segment rates"));
  auto* layout = new QVBoxLayout(this);
  by_month_ = new QRadioButton(
      QStringLiteral("The minimum present value segment rates (percent) of a month, entered as\n"
                     "Interest Rate 1, 2 and 3, from \"%1\":")
          .arg(QString::fromUtf8(kSegmentRatesFileName.data(),
                                 static_cast<qsizetype>(kSegmentRatesFileName.size()))),
      this);
  by_month_->setObjectName(QStringLiteral("ByMonth"));
  layout->addWidget(by_month_);

  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("SegmentRatesList"));
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setHeaderLabels({QStringLiteral("Month"), QStringLiteral("Plan year"),
                          QStringLiteral("First"), QStringLiteral("Second"),
                          QStringLiteral("Third")});
  for (const SegmentRates& line : file_.Lines()) {
    // The plan year only where it matters: a month whose rates differ by plan year.
    const QString plan_year = line.plan_year && file_.SeveralPlanYears(line)
                                  ? QString::number(*line.plan_year)
                                  : QString();
    auto* item = new QTreeWidgetItem(
        list_, {QString::fromStdString(MonthText(line.month)), plan_year,
                QString::fromStdString(line.rates[0]), QString::fromStdString(line.rates[1]),
                QString::fromStdString(line.rates[2])});
    for (int column = 2; column < 5; ++column)
      item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
  }
  list_->header()->setStretchLastSection(false);
  for (int column = 0; column < 5; ++column) {
    list_->resizeColumnToContents(column);
    list_->setColumnWidth(column, list_->columnWidth(column) + 16);
  }
  list_->setMinimumSize(list_->header()->length() + 40, 260);
  if (list_->topLevelItemCount() > 0)
    list_->setCurrentItem(list_->topLevelItem(0));
  layout->addWidget(list_);

  by_terms_ = new QRadioButton(
      QStringLiteral(
          "The 417(e) lump sum basis by the plan's terms, for the Valuation Date as the\n"
          "annuity starting date: the lookback month's rates as a yield curve (periods\n"
          "5 and 15) and the year's 417(e) table for both post-retirement lives:"),
      this);
  by_terms_->setObjectName(QStringLiteral("ByTerms"));
  layout->addWidget(by_terms_);
  BuildTerms(terms);
  layout->addWidget(preview_label_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QTreeWidget::itemActivated, this, &QDialog::accept);
  (by_terms ? by_terms_ : by_month_)->setChecked(true);
  connect(by_month_, &QRadioButton::toggled, this, &SegmentRatesDialog::ShowPreview);
  ShowPreview();
}

void SegmentRatesDialog::BuildTerms(const PlanTerms& terms) {
  auto* form = new QFormLayout;
  stability_ = new QComboBox(this);
  stability_->setObjectName(QStringLiteral("Stability"));
  for (const char* caption : kStabilityCaptions) stability_->addItem(QString::fromUtf8(caption));
  stability_->setCurrentIndex(static_cast<int>(terms.stability));
  lookback_ = new QSpinBox(this);
  lookback_->setObjectName(QStringLiteral("Lookback"));
  lookback_->setRange(1, 5);
  lookback_->setValue(terms.lookback);
  lookback_->setSuffix(QStringLiteral(" full month(s) before the stability period"));
  plan_year_begins_ = new QComboBox(this);
  plan_year_begins_->setObjectName(QStringLiteral("PlanYearBegins"));
  for (int month = 1; month <= 12; ++month)
    plan_year_begins_->addItem(QLocale::c().standaloneMonthName(month));
  plan_year_begins_->setCurrentIndex(terms.plan_year_begins - 1);
  form->addRow(QStringLiteral("Stability period:"), stability_);
  form->addRow(QStringLiteral("Lookback month:"), lookback_);
  form->addRow(QStringLiteral("Plan year begins in:"), plan_year_begins_);
  static_cast<QVBoxLayout*>(layout())->addLayout(form);
  preview_label_ = new QLabel(this);
  preview_label_->setObjectName(QStringLiteral("BasisPreview"));
  preview_label_->setTextFormat(Qt::PlainText);
  preview_label_->setMinimumHeight(preview_label_->fontMetrics().lineSpacing() * 4);
  connect(stability_, &QComboBox::currentIndexChanged, this, &SegmentRatesDialog::ShowPreview);
  connect(lookback_, &QSpinBox::valueChanged, this, &SegmentRatesDialog::ShowPreview);
  connect(plan_year_begins_, &QComboBox::currentIndexChanged, this,
          &SegmentRatesDialog::ShowPreview);
}

// The basis the terms give for the form's Valuation Date, or why they give none; OK applies a
// basis only when there is one.
void SegmentRatesDialog::ShowPreview() {
  const bool terms = by_terms_->isChecked();
  list_->setEnabled(!terms);
  for (QWidget* widget : {static_cast<QWidget*>(stability_), static_cast<QWidget*>(lookback_),
                          static_cast<QWidget*>(plan_year_begins_)})
    widget->setEnabled(terms);
  bool found = false;
  preview_label_->setText(preview_(Terms(), found));
  preview_label_->setEnabled(terms);
  ok_->setEnabled(!terms || found);
}

PlanTerms SegmentRatesDialog::Terms() const {
  return PlanTerms{static_cast<segment_rates::StabilityPeriod>(stability_->currentIndex()),
                   lookback_->value(), plan_year_begins_->currentIndex() + 1};
}

std::optional<PlanTerms> SegmentRatesDialog::ChosenTerms() const {
  if (!by_terms_->isChecked())
    return std::nullopt;
  return Terms();
}

std::optional<SegmentRates> SegmentRatesDialog::Chosen() const {
  if (by_terms_->isChecked())
    return std::nullopt;
  const int row = list_->indexOfTopLevelItem(list_->currentItem());
  if (row < 0)
    return std::nullopt;
  return file_.Lines()[static_cast<std::size_t>(row)];
}

}  // namespace orvane::window
