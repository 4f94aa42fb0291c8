#pragma once
// For tests that want a failure's words in their message: true when the
// result is a success, otherwise false with the failure's text in *why.

#include "base/Result.h"

namespace wobbin::testing {

template<class T>
bool Succeeds(const TResult<T> &result, QString *why)
{
    if (result.ok())
        return true;
    *why = result.error().Text();
    return false;
}

} // namespace wobbin::testing
