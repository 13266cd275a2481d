#include "json_writer.h"

#include <fmt/format.h>

#include <cmath>

namespace kx::cli {

std::string JsonQuote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          out += fmt::format("\\u{:04x}", static_cast<unsigned>(static_cast<unsigned char>(c)));
        } else {
          out += c;  // UTF-8 passes as it is
        }
    }
  }
  out += '"';
  return out;
}

Json Json::FromVariant(const Variant& v) {
  switch (v.GetKind()) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null:
      return Json();
    case Variant::Kind::Bool:
      return Json(v.AsBool());
    case Variant::Kind::Integer:
      return Json(static_cast<long long>(v.AsInteger()));
    case Variant::Kind::Double:
      return Json(v.AsDouble());
    default:
      return Json(v.ToText());
  }
}

std::string Json::Dump() const {
  std::string out;
  DumpTo(out);
  return out;
}

void Json::DumpTo(std::string& out) const {
  if (std::holds_alternative<std::monostate>(value_)) {
    out += "null";
  } else if (const bool* b = std::get_if<bool>(&value_)) {
    out += *b ? "true" : "false";
  } else if (const std::int64_t* i = std::get_if<std::int64_t>(&value_)) {
    out += std::to_string(*i);
  } else if (const double* d = std::get_if<double>(&value_)) {
    // JSON has no infinities or NaN.
    out += std::isfinite(*d) ? fmt::format("{}", *d) : std::string("null");
  } else if (const std::string* s = std::get_if<std::string>(&value_)) {
    out += JsonQuote(*s);
  } else if (const Array* a = std::get_if<Array>(&value_)) {
    out += '[';
    for (std::size_t k = 0; k < a->size(); ++k) {
      if (k) out += ',';
      (*a)[k].DumpTo(out);
    }
    out += ']';
  } else if (const Object* o = std::get_if<Object>(&value_)) {
    out += '{';
    for (std::size_t k = 0; k < o->size(); ++k) {
      if (k) out += ',';
      out += JsonQuote((*o)[k].first);
      out += ':';
      (*o)[k].second.DumpTo(out);
    }
    out += '}';
  }
}

}  // namespace kx::cli
