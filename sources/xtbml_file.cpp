#include "sources/xtbml_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <pugixml.hpp>

#include "sources/source_error.h"
#include "text/text.h"

namespace orvane::sources {
namespace {

class Reader {
 public:
  Reader(std::string_view bytes, std::string origin) : bytes_(bytes), origin_(std::move(origin)) {}

  [[noreturn]] void Fail(const pugi::xml_node& node, const std::string& what) const {
    throw SourceError(origin_ + ", line " + std::to_string(LineOf(node.offset_debug())) + ": " +
                      what);
  }

  int LineOf(std::ptrdiff_t offset) const {
    const std::size_t end =
        std::min(static_cast<std::size_t>(std::max<std::ptrdiff_t>(offset, 0)), bytes_.size());
    return 1 + static_cast<int>(std::count(bytes_.begin(), bytes_.begin() + end, '\n'));
  }

  int Key(const pugi::xml_node& node) const {
    const std::string key = Trimmed(node.attribute("t").value());
    const std::optional<int> number = text::WholeNumber(key);
    if (!number)
      Fail(node, "the key t=\"" + key + "\" is not a whole number");
    return *number;
  }

  // XML text without the blanks and line ends around it.
  static std::string Trimmed(const char* raw) { return std::string(text::Trim(raw, " \t\r\n")); }

  XtbmlTable Table(const pugi::xml_node& node, int number) const {
    XtbmlTable table;
    table.number = number;
    const pugi::xml_node meta = node.child("MetaData");
    table.description = Trimmed(meta.child_value("TableDescription"));
    if (meta.child("ScalingFactor"))
      table.scaling_factor = Trimmed(meta.child_value("ScalingFactor"));
    for (const pugi::xml_node& axis : meta.children("AxisDef"))
      table.axes.push_back(Trimmed(axis.attribute("id").value()));
    if (table.axes.empty() || table.axes.size() > 2)
      Fail(node, "table " + std::to_string(number) + " has " + std::to_string(table.axes.size()) +
                     " axes (AxisDef); one or two are read");
    const pugi::xml_node values = node.child("Values");
    if (!values)
      Fail(node, "table " + std::to_string(number) + " has no Values");
    for (const pugi::xml_node& axis : values.children("Axis")) {
      if (table.axes.size() == 1) {
        Values(axis, 0, table);
        continue;
      }
      const int outer = Key(axis);
      for (const pugi::xml_node& inner : axis.children("Axis")) Values(inner, outer, table);
      if (axis.child("Y"))
        Fail(axis.child("Y"), "a rate outside the inner axis of a two-axis table");
    }
    return table;
  }

  void Values(const pugi::xml_node& axis, int outer, XtbmlTable& table) const {
    for (const pugi::xml_node& y : axis.children("Y")) {
      XtbmlValue value;
      if (table.axes.size() == 1) {
        value.outer = Key(y);
      } else {
        value.outer = outer;
        value.inner = Key(y);
      }
      value.text = Trimmed(y.child_value());
      table.values.push_back(std::move(value));
    }
    if (axis.child("Axis"))
      Fail(axis.child("Axis"), "an axis nested deeper than the table's axes");
  }

 private:
  std::string_view bytes_;
  std::string origin_;
};

}  // namespace

XtbmlFile ParseXtbml(std::string_view bytes, const std::string& origin) {
  pugi::xml_document document;
  const pugi::xml_parse_result parsed =
      document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
  const Reader reader(bytes, origin);
  if (!parsed) {
    throw SourceError(origin + ", line " + std::to_string(reader.LineOf(parsed.offset)) +
                      ": not well-formed XML (" + parsed.description() + ")");
  }
  const pugi::xml_node root = document.document_element();
  if (std::string_view(root.name()) != "XTbML") {
    throw SourceError(origin + ": not an XTbML file (its root element is <" +
                      std::string(root.name()) + ">, not <XTbML>)");
  }
  XtbmlFile file;
  const pugi::xml_node content = root.child("ContentClassification");
  file.identity = Reader::Trimmed(content.child_value("TableIdentity"));
  file.name = Reader::Trimmed(content.child_value("TableName"));
  int number = 0;
  for (const pugi::xml_node& table : root.children("Table"))
    file.tables.push_back(reader.Table(table, ++number));
  if (file.tables.empty())
    throw SourceError(origin + ": the XTbML file holds no <Table>");
  return file;
}

XtbmlFile ReadXtbmlFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in)
    throw SourceError(file.string() + ": cannot be opened for reading");
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad())
    throw SourceError(file.string() + ": read error");
  return ParseXtbml(bytes, file.string());
}

}  // namespace orvane::sources
