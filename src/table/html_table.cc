#include "table/html_table.h"

#include <string>
#include <string_view>

namespace {

std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

void WriteHtmlPage(const Fleet& fleet, TextOutput& out) {
  out << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
         "<title>Hotfixes</title></head><body>\n<table>\n";
  for (const FleetMachine& machine : fleet.machines) {
    out << "<tr><td>" << Escaped(machine.machine) << "</td><td>"
        << StatusName(machine.status) << "</td></tr>\n";
  }
  out << "</table>\n</body></html>\n";
}
