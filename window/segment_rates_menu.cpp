// The "417(e) segment rates of..." entry in the context menu of the three interest fields.
#include "window/segment_rates_menu.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QString>

#include "form/segment_rate_entry.h"
#include "window/segment_rates_dialog.h"

namespace orvane::window {

bool AskedForSegmentRates(QLineEdit* edit, const QPoint& at) {
  QMenu* menu = edit->createStandardContextMenu();
  menu->setObjectName(QStringLiteral("InterestMenu"));
  menu->addSeparator();
  QAction* rates = menu->addAction(QStringLiteral("417(e) segment rates of\u2026"));
  rates->setObjectName(QStringLiteral("SegmentRatesAction"));
  const QAction* chosen = menu->exec(edit->mapToGlobal(at));
  delete menu;
  return chosen == rates;
}

namespace {

// The terms last applied, in the user's settings; the calendar year with a lookback of 1 at first.
segment_rates::PlanTerms RememberedTerms(QSettings& settings) {
  segment_rates::PlanTerms terms;
  const std::string stability =
      settings.value(QStringLiteral("LumpSumBasis/Stability")).toString().toStdString();
  terms.stability = segment_rates::ParseStabilityPeriod(stability).value_or(terms.stability);
  terms.lookback = settings.value(QStringLiteral("LumpSumBasis/Lookback"), 1).toInt();
  terms.plan_year_begins = settings.value(QStringLiteral("LumpSumBasis/PlanYearBegins"), 1).toInt();
  if (!segment_rates::PlanTermsRefusal(terms).empty())
    return {};
  return terms;
}

void Remember(QSettings& settings, const segment_rates::PlanTerms& terms, bool by_terms) {
  const std::string_view stability = segment_rates::StabilityPeriodName(terms.stability);
  settings.setValue(QStringLiteral("LumpSumBasis/Stability"),
                    QString::fromUtf8(stability.data(), static_cast<qsizetype>(stability.size())));
  settings.setValue(QStringLiteral("LumpSumBasis/Lookback"), terms.lookback);
  settings.setValue(QStringLiteral("LumpSumBasis/PlanYearBegins"), terms.plan_year_begins);
  settings.setValue(QStringLiteral("LumpSumBasis/ByTerms"), by_terms);
}

}  // namespace

SegmentRatesChoice ChooseSegmentRates(const form::FormModel& model, QWidget* parent) {
  SegmentRatesChoice choice;
  try {
    choice.file = SegmentRateFile::Read(form::SegmentRatesPath(model.Environment()));
  } catch (const segment_rates::SegmentRatesFileError& error) {
    choice.problem = QString::fromUtf8(error.what());
    return choice;
  }
  const auto preview = [&](const segment_rates::PlanTerms& terms, bool& found) {
    QString text;
    try {
      const auto basis = form::LumpSumBasisOf(model, terms, *choice.file);
      for (const auto& [caption, line] : segment_rates::BasisLines(basis))
        text += QString::fromStdString(caption + ": " + line + "\n");
      found = true;
    } catch (const std::runtime_error& error) {
      text = QString::fromUtf8(error.what());
      found = false;
    }
    return text;
  };
  QSettings settings(QStringLiteral("Orvane"), QStringLiteral("Orvane"));
  SegmentRatesDialog dialog(*choice.file, preview, RememberedTerms(settings),
                            settings.value(QStringLiteral("LumpSumBasis/ByTerms")).toBool(),
                            parent);
  if (dialog.exec() != QDialog::Accepted)
    return choice;
  choice.month = dialog.Chosen();
  choice.terms = dialog.ChosenTerms();
  Remember(settings, dialog.Terms(), choice.terms.has_value());
  return choice;
}

}  // namespace orvane::window
