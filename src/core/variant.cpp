#include "core/variant.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "core/numbers.h"

namespace kx {
namespace {

// A date as its serial number in the job manager's convention: days since
// 1899-12-30, the time of day as the fraction. An unreadable date gives 0.
double DateSerial(const std::string& iso) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  const int n = std::sscanf(iso.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
  if (n < 3) return 0.0;
  using namespace std::chrono;
  const year_month_day ymd{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
  if (!ymd.ok()) return 0.0;
  const year_month_day epoch{year{1899}, month{12}, day{30}};
  const double days = static_cast<double>((sys_days{ymd} - sys_days{epoch}).count());
  const double fraction = (h * 3600.0 + mi * 60.0 + s) / 86400.0;
  // Before the epoch the fraction still counts forward in time from midnight.
  return days >= 0 ? days + fraction : days - fraction;
}

}  // namespace

Variant Variant::Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return Date(text);
}

std::string Variant::ToText() const {
  switch (kind_) {
    case Kind::Empty:
    case Kind::Null:
      return {};
    case Kind::Bool:
      return AsBool() ? "True" : "False";
    case Kind::Integer:
      return std::to_string(AsInteger());
    case Kind::Double:
      return FormatNumber(AsDouble());
    case Kind::Text:
    case Kind::Date:
      return AsText();
  }
  return {};
}

// True is -1 as a number, as in the job manager's language.
double Variant::ToNumber() const {
  switch (kind_) {
    case Kind::Empty:
    case Kind::Null:
      return 0.0;
    case Kind::Bool:
      return AsBool() ? -1.0 : 0.0;
    case Kind::Integer:
      return static_cast<double>(AsInteger());
    case Kind::Double:
      return AsDouble();
    case Kind::Text:
      return LeadingNumber(AsText());
    case Kind::Date:
      return DateSerial(AsText());
  }
  return 0.0;
}

}  // namespace kx
