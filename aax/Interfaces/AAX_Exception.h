#pragma once

// Failures inside the layer travel as exceptions; every call that crosses to the host turns
// them back into a result code.

#include "AAX.h"

#include <set>
#include <string>

namespace AAX
{
    /** The name of a result code: "AAX_SUCCESS", "AAX_ERROR_NULL_OBJECT"... or
        "<unknown error code>". */
    const char* AsStringResult (AAX_Result result);

    /** The name and the number of a result code, e.g. "AAX_ERROR_NULL_OBJECT (-20004)". */
    std::string AsStringError (AAX_Result result);

    namespace Exception
    {
        /** The base of the layer's exceptions. Deliberately not a std::exception, so that
            handlers can tell the layer's own failures from the library's. */
        class Any
        {
        public:
            explicit Any (std::string description, std::string function = {}, std::string line = {});
            virtual ~Any() = default;

            Any (const Any&) = default;
            Any (Any&&) = default;
            Any& operator= (const Any&) = default;
            Any& operator= (Any&&) = default;

            /** The description, followed by " func:" and " line:" parts when those are known. */
            const std::string& What() const noexcept           { return mWhat; }
            const std::string& Description() const noexcept    { return mDescription; }
            const std::string& Function() const noexcept       { return mFunction; }
            const std::string& Line() const noexcept           { return mLine; }

        private:
            std::string mDescription;
            std::string mFunction;
            std::string mLine;
            std::string mWhat;
        };

        /** A failed result code. */
        class ResultError : public Any
        {
        public:
            explicit ResultError (AAX_Result result);

            AAX_Result Result() const noexcept    { return mResult; }

        private:
            AAX_Result mResult;
        };
    }
}

/** Holds a result and throws AAX::Exception::ResultError as soon as it holds a failure, after
    tracing it to the host. After a throw it holds AAX_SUCCESS and remembers the failure. */
class AAX_CheckedResult
{
public:
    AAX_CheckedResult (AAX_Result result = AAX_SUCCESS);
    AAX_CheckedResult& operator= (AAX_Result result);

    AAX_Result Result() const noexcept       { return mCurrentResult; }
    AAX_Result LastError() const noexcept    { return mLastError; }

private:
    void Check();

    AAX_Result mCurrentResult;
    AAX_Result mLastError = AAX_SUCCESS;
    std::set<AAX_Result> mAcceptedResults { AAX_SUCCESS };
};
