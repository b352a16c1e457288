// The edge at which the form model's handlers turn the errors of Orvane's libraries into a
// message for the user.
#pragma once

#include <optional>
#include <string>

#include "app/form_error.h"
#include "dates/date_error.h"
#include "numbers/number_error.h"
#include "sheets/sheet_error.h"
#include "tables/table_error.h"
#include "valuation/valuation_error.h"

namespace orvane::app::detail {

// Runs `action` and returns nothing, or the message of the library error that ended it.
// tables::DataFileUnavailable is not caught: the data-file question answered Cancel ends the
// program, so it must reach the program's own edge. Other exceptions (std::bad_alloc, logic
// errors) are not ours to hide and pass through as well.
template <class Action>
std::optional<std::string> MessageOfFailure(Action&& action) {
  try {
    action();
    return std::nullopt;
  } catch (const tables::DataFileUnavailable&) {
    throw;
  } catch (const tables::TableError& e) {
    return e.what();
  } catch (const FormError& e) {
    return e.what();
  } catch (const valuation::ValuationError& e) {
    return e.what();
  } catch (const dates::DateError& e) {
    return e.what();
  } catch (const numbers::NumberError& e) {
    return e.what();
  } catch (const sheets::SheetError& e) {
    return e.what();
  }
}

}  // namespace orvane::app::detail
