// SPDX-License-Identifier: GPL-3.0-or-later
// Expected failures as values: Status (ok or an error with a message) and Result<T>.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace braxel {

struct Error {
  int code = -1;
  std::string message;
};

// Ok or an error. Cheap to return; never throws.
class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(Error error) : error_(std::move(error)) {}
  static Status Ok() { return Status(); }
  static Status Fail(std::string message, int code = -1) { return Status(Error{code, std::move(message)}); }

  bool ok() const { return !error_.has_value(); }
  explicit operator bool() const { return ok(); }
  const Error& error() const { return *error_; }
  const std::string& message() const {
    static const std::string kEmpty;
    return error_ ? error_->message : kEmpty;
  }

 private:
  std::optional<Error> error_;
};

// A value or an error.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : data_(std::move(value)) {}
  Result(Error error) : data_(std::move(error)) {}
  Result(const Status& failed) : data_(failed.error()) {}
  static Result Fail(std::string message, int code = -1) { return Result(Error{code, std::move(message)}); }

  bool ok() const { return std::holds_alternative<T>(data_); }
  explicit operator bool() const { return ok(); }
  T& value() & { return std::get<T>(data_); }
  const T& value() const& { return std::get<T>(data_); }
  T&& value() && { return std::get<T>(std::move(data_)); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const Error& error() const { return std::get<Error>(data_); }
  const std::string& message() const { return error().message; }
  Status status() const { return ok() ? Status() : Status(error()); }

 private:
  std::variant<T, Error> data_;
};

}  // namespace braxel
