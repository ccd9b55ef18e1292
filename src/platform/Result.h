#pragma once

#include <string>
#include <utility>
#include <variant>

namespace stencilor {

// A failure of an operation on the system: the errno value and a message that names the
// operation and its object, e.g. cannot create file "/out/a.htm": Permission denied.
struct Error {
    int code = 0;        // errno value, 0 when the failure has no system cause
    std::string message; // what failed, on what, and the system's reason
};

// Success or an Error; the core reports failures through this type, never by exceptions.
class [[nodiscard]] Status final {
public:
    Status() = default;
    Status(Error error)
        : m_failed(true)
        , m_error(std::move(error))
    {
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return m_error; }

private:
    bool m_failed = false;
    Error m_error;
};

// A value or an Error.
template <class T> class [[nodiscard]] Result final {
public:
    Result(T value)
        : m_data(std::move(value))
    {
    }
    Result(Error error)
        : m_data(std::move(error))
    {
    }

    bool ok() const { return m_data.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(m_data); }
    const T& value() const { return std::get<0>(m_data); }
    const Error& error() const { return std::get<1>(m_data); }
    Status status() const { return ok() ? Status() : Status(error()); }

private:
    std::variant<T, Error> m_data;
};

} // namespace stencilor
