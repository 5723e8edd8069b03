#include "AAX_CHostServices.h"
#include "AAX_CString.h"
#include "AAX_Exception.h"
#include "FakeHost.h"
#include "TestDescribe.h"

#include <gtest/gtest.h>

#include <climits>

//==============================================================================
TEST (AAXResults, NamesCoverTheWholeRangeAndNothingBeyondIt)
{
    EXPECT_STREQ (AAX::AsStringResult (AAX_SUCCESS), "AAX_SUCCESS");
    EXPECT_STREQ (AAX::AsStringResult (-20001), "AAX_ERROR_INVALID_PARAMETER_ID");
    EXPECT_STREQ (AAX::AsStringResult (-20046), "AAX_ERROR_ARGUMENT_BUFFER_OVERFLOW");

    for (const AAX_Result outside : { -20047, -20000, 1, -1, INT32_MIN, INT32_MAX })
        EXPECT_STREQ (AAX::AsStringResult (outside), "<unknown error code>") << outside;

    EXPECT_EQ (AAX::AsStringError (AAX_ERROR_NULL_OBJECT), "AAX_ERROR_NULL_OBJECT (-20004)");
    EXPECT_EQ (AAX::AsStringError (-1), "<unknown error code> (-1)");
    EXPECT_EQ (AAX::AsStringError (INT32_MIN), "<unknown error code> (-2147483648)");
}

TEST (AAXResults, ExceptionTextsAndCopies)
{
    EXPECT_EQ (AAX::Exception::Any ("x").What(), "x");
    EXPECT_EQ (AAX::Exception::Any ("x", "f", "12").What(), "x func:f line:12");

    const AAX::Exception::ResultError error (AAX_ERROR_UNIMPLEMENTED);
    const AAX::Exception::ResultError copy = error;
    EXPECT_EQ (copy.What(), "AAX_ERROR_UNIMPLEMENTED (-20009)");
    EXPECT_EQ (copy.Result(), AAX_ERROR_UNIMPLEMENTED);
}

TEST (AAXResults, CheckedResultThrowsTracesAndRemembersTheFailure)
{
    FakeHost::Host host;
    auto services = std::make_unique<ScopedHostServices> (&host);

    AAX_CheckedResult result (AAX_SUCCESS);

    try
    {
        result = AAX_ERROR_NULL_OBJECT;
        FAIL() << "no exception";
    }
    catch (const AAX::Exception::ResultError& error)
    {
        EXPECT_EQ (error.Result(), AAX_ERROR_NULL_OBJECT);
    }

    EXPECT_EQ (result.Result(), AAX_SUCCESS);
    EXPECT_EQ (result.LastError(), AAX_ERROR_NULL_OBJECT);
    ASSERT_EQ (host.services.traces.size(), 1u);
    EXPECT_EQ (host.services.traces[0].first, 0x04000000);
    EXPECT_EQ (host.services.traces[0].second, "AAX_CheckedResult - throwing AAX_ERROR_NULL_OBJECT (-20004)");

    services.reset();
    EXPECT_EQ (host.outstandingReferences(), 0);

    // Without host services the failure is thrown all the same.
    EXPECT_THROW (AAX_CheckedResult (-5), AAX::Exception::ResultError);
}

//==============================================================================
TEST (AAXString, ConstructionAssignmentAndComparison)
{
    const AAX_CString fromNull (static_cast<const char*> (nullptr));
    EXPECT_STREQ (fromNull.Get(), "");
    EXPECT_EQ (fromNull.Length(), 0u);
    EXPECT_EQ (fromNull.MaxLength(), 0xfffffffeu);

    AAX_CString text ("Frequency");
    const AAX_IString& asInterface = text;
    const AAX_CString copy (asInterface);
    EXPECT_TRUE (copy == text);
    EXPECT_FALSE (copy != "Frequency");
    EXPECT_TRUE (copy != "Freq");

    text.Set (nullptr);
    EXPECT_STREQ (text.Get(), "");

    text = "abc";
    text[1] = 'X';
    EXPECT_STREQ (text.CString(), "aXc");
}

TEST (AAXString, EraseAndSubStringStayInsideTheText)
{
    AAX_CString text ("0123456789");
    text.Erase (5, 8);
    EXPECT_STREQ (text.Get(), "01234");

    AAX_CString other ("0123456789");
    other.Erase (2, 3);
    EXPECT_STREQ (other.Get(), "0156789");

    other.Erase (100, 1);    // beyond the end: nothing to erase
    EXPECT_STREQ (other.Get(), "0156789");

    AAX_CString part;
    other.SubString (5, 10, &part);
    EXPECT_STREQ (part.Get(), "89");
    other.SubString (7, 1, &part);
    EXPECT_STREQ (part.Get(), "");
}

TEST (AAXString, NumbersInAndOut)
{
    const auto appended = [] (double number, int32_t precision)
    {
        AAX_CString text;
        text.AppendNumber (number, precision);
        return std::string (text.Get());
    };

    EXPECT_EQ (appended (0.5, 3), "0.500");
    EXPECT_EQ (appended (12.3456, 3), "12.346");
    EXPECT_EQ (appended (-0.0004, 3), "-0.000");
    EXPECT_EQ (appended (2, 0), "2");
    EXPECT_EQ (appended (0.0005, 3), "0.001");
    EXPECT_EQ (appended (1e20, 1), "100000000000000000000.0");

    const auto read = [] (const char* text, double& value) { return AAX_CString (text).ToDouble (&value); };
    double value = -1.0;

    EXPECT_TRUE (read ("0.75", value));      EXPECT_EQ (value, 0.75);
    EXPECT_TRUE (read ("  1.5abc", value));  EXPECT_EQ (value, 1.5);
    EXPECT_TRUE (read ("-2e3", value));      EXPECT_EQ (value, -2000.0);
    EXPECT_FALSE (read ("", value));         EXPECT_EQ (value, 0.0);
    value = -1.0;
    EXPECT_FALSE (read ("abc", value));      EXPECT_EQ (value, 0.0);
}
