#pragma once
// The one way a fallible function of the core reports how it went: a TResult
// holds either the value asked for or a TError, the failure told by the id of
// a numbered text (Msg::ServerUnreachable) and a detail that completes it (a
// cause in words, a file name).
//
//     TResult<TServerList> ReadServers(...);
//     const auto read = ReadServers(...);
//     if (!read.ok())
//         return ShowError(read.error().Text());
//
// TResult<void> reports only success or failure. Both are [[nodiscard]]: a
// result that is really of no use is dropped visibly, with the reason, as
// static_cast<void>(...) beside a comment.

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace wobbin {

struct TError
{
    // The id of "no numbered text": the detail alone tells the failure.
    static constexpr int NoText = -1;

    // A failure told by the detail alone (a cause in words).
    explicit TError(QString cause) : detail(std::move(cause)) {}
    // A failure told by the numbered text textId, completed by detail.
    explicit TError(int textId, QString detailText = {}) : id(textId), detail(std::move(detailText)) {}

    int id = NoText;
    QString detail;

    // The finished text for the user: the numbered text with the detail in
    // place of its %1; a text without %1 followed by the detail on a line of
    // its own (when there is one); the detail alone when there is no text.
    // (Defined with the string table, strings/StringTable.cpp.)
    QString Text() const;
};

template<class T>
class [[nodiscard]] TResult
{
public:
    TResult(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    TResult(TError error) : m_state(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    // Only when ok().
    const T &value() const & { return std::get<0>(m_state); }
    T &value() & { return std::get<0>(m_state); }
    T &&value() && { return std::get<0>(std::move(m_state)); }
    // The value, or fallback after a failure.
    T valueOr(T fallback) const { return ok() ? value() : std::move(fallback); }
    // Only when !ok().
    const TError &error() const { return std::get<1>(m_state); }

private:
    std::variant<T, TError> m_state;
};

template<>
class [[nodiscard]] TResult<void>
{
public:
    TResult() = default;
    TResult(TError error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    // Only when !ok().
    const TError &error() const { return *m_error; }

private:
    std::optional<TError> m_error;
};

} // namespace wobbin
