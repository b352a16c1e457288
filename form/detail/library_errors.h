// The edge at which the form model's handlers turn the errors of Orvane's libraries into a
// message for the user.
#pragma once

#include <optional>
#include <string>

#include "dates/date_error.h"
#include "form/form_error.h"
#include "mortality/mortality_error.h"
#include "numbers/number_error.h"
#include "sheets/sheet_error.h"
#include "tables/table_error.h"
#include "valuation/valuation_error.h"

namespace orvane::form::detail {

// The reason a form operation failed, and the control it was about when one is known.
struct FailureReport {
  std::string message;
  std::optional<Control> control;
};

// Runs `action` and returns nothing, or the message of the library error that ended it with the
// control a FormError names.
// tables::DataFileUnavailable is not caught: the data-file question answered Cancel ends the
// program, so it must reach the program's own edge. Other exceptions (std::bad_alloc, logic
// errors) are not ours to hide and pass through as well.
template <class Action>
std::optional<FailureReport> MessageOfFailure(Action&& action) {
  try {
    action();
    return std::nullopt;
  } catch (const tables::DataFileUnavailable&) {
    throw;
  } catch (const tables::TableError& e) {
    return FailureReport{e.what(), std::nullopt};
  } catch (const FormError& e) {
    return FailureReport{e.what(), e.control()};
  } catch (const valuation::ValuationError& e) {
    return FailureReport{e.what(), std::nullopt};
  } catch (const mortality::MortalityError& e) {
    return FailureReport{e.what(), std::nullopt};
  } catch (const dates::DateError& e) {
    return FailureReport{e.what(), std::nullopt};
  } catch (const numbers::NumberError& e) {
    return FailureReport{e.what(), std::nullopt};
  } catch (const sheets::SheetError& e) {
    return FailureReport{e.what(), std::nullopt};
  }
}

}  // namespace orvane::form::detail
