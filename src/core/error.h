#pragma once
// The one error type of the system: a number, a source and a description,
// as the job manager's own errors carry them.
#include <stdexcept>
#include <string>

namespace kx {

// Error numbers shared by the layers (the run-time numbers hosts already know).
namespace err {
inline constexpr long Overflow = 6;
inline constexpr long SubscriptOutOfRange = 9;
inline constexpr long TypeMismatch = 13;
inline constexpr long InvalidProcedureCall = 5;
inline constexpr long FileNotFound = 53;
inline constexpr long FileAlreadyExists = 58;
inline constexpr long DiskFull = 61;
inline constexpr long DeviceUnavailable = 68;
inline constexpr long PermissionDenied = 70;
inline constexpr long PathFileAccessError = 75;
inline constexpr long PathNotFound = 76;
inline constexpr long InvalidPatternString = 93;
inline constexpr long KeyAlreadyExists = 457;
inline constexpr long DatabaseError = 3000;  // engine errors are 3000 and above
}  // namespace err

class KxError : public std::runtime_error {
 public:
  KxError(long number, std::string source, std::string description)
      : std::runtime_error(description), number_(number), source_(std::move(source)),
        description_(std::move(description)) {}

  long Number() const noexcept { return number_; }
  const std::string& Source() const noexcept { return source_; }
  const std::string& Description() const noexcept { return description_; }

 private:
  long number_;
  std::string source_;
  std::string description_;
};

}  // namespace kx
