// What the form's entries give the valuation: the four table requests, the tables loaded as the
// choosers name them, the numbers in their places, and a valuation's failure turned toward the
// control the user must correct.
#pragma once

#include <array>

#include "form/controls.h"
#include "form/form_error.h"
#include "form/form_model.h"
#include "sheets/exports.h"
#include "tables/table_cache.h"
#include "tables/table_store.h"
#include "valuation/valuation_engine.h"
#include "valuation/valuation_error.h"
#include "valuation/yield_curve_rates.h"

namespace orvane::form::detail {

// The four LoadTable requests in the order of a recalculation: PostRetPrimary,
// PostRetContingent, PreRetPrimary, PreRetContingent. Throws FormError when RetirementDate,
// ValuationDate or DateOfBirth is not a date.
std::array<tables::TableRequest, 4> TableRequestsOf(const FormModel& form);

// A batch run's last table in each of the four places, with what was asked for it: the next
// row mostly asks for the same ones.
struct LastTables {
  std::array<tables::TableRequest, 4> requests;
  std::array<bool, 4> follows_life{};  // whether each follows the life's year of birth
  std::array<bool, 4> held{};
  std::array<mortality::QTable, 4> tables;
};

// The four tables of `requests`, through `cache` when not null; with `last`, a table asked for
// as last time is taken again from there, and `last` keeps what was loaded. Throws FormError
// naming the chooser of a table the loader rejects, and tables::DataFileUnavailable.
sheets::MortalityColumns LoadTables(const std::array<tables::TableRequest, 4>& requests,
                                    tables::TableStore& store, tables::TableCache* cache,
                                    LastTables* last = nullptr);

// The number a field's text reads as. Throws FormError naming the field when it is none.
double NumberOf(const FormModel& form, Control control);

// The fifteen numbers, the four tables and the boxes the valuation reads. Throws FormError for a
// number field that is not a number.
valuation::ValuationInputs ValuationInputsOf(const FormModel& form,
                                             const sheets::MortalityColumns& tables);

// The full yield curve workbook of the form's data folder. Throws FormError about FullYieldCurve
// when it cannot be read or holds a rate of -100% or below.
valuation::YieldCurveRates ReadYieldCurve(const FormEnvironment& environment);

// The error to show for a valuation that failed: about the field, chooser or box that fills the
// input at fault, and for a chooser naming a table the data file lacks, saying so.
FormError FormErrorOf(const valuation::ValuationError& error, tables::TableStore& store,
                      const std::array<tables::TableRequest, 4>& requests);

}  // namespace orvane::form::detail
