#include "window/segment_rates_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace orvane::window {

using segment_rates::kSegmentRatesFileName;

SegmentRatesDialog::SegmentRatesDialog(const SegmentRateFile& file, QWidget* parent)
    : QDialog(parent), file_(file) {
  setObjectName(QStringLiteral("SegmentRatesDialog"));
  setWindowTitle(QStringLiteral("417(e) segment rates"));
  auto* layout = new QVBoxLayout(this);
  auto* caption = new QLabel(
      QStringLiteral("Minimum present value segment rates (percent) of the month to enter as\n"
                     "Interest Rate 1, 2 and 3, from \"%1\":")
          .arg(QString::fromUtf8(kSegmentRatesFileName.data(),
                                 static_cast<qsizetype>(kSegmentRatesFileName.size()))),
      this);
  layout->addWidget(caption);

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

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QTreeWidget::itemActivated, this, &QDialog::accept);
}

std::optional<SegmentRates> SegmentRatesDialog::Chosen() const {
  const int row = list_->indexOfTopLevelItem(list_->currentItem());
  if (row < 0)
    return std::nullopt;
  return file_.Lines()[static_cast<std::size_t>(row)];
}

}  // namespace orvane::window
