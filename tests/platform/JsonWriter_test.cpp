#include "platform/JsonWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace kq {
namespace {

TEST(JsonWriter, PutsCommasBetweenItemsOfEveryContainer)
{
    struct Case {
        const char* name;
        std::function<void(CJsonWriter&)> write;
        const char* expected;
    };
    const Case cases[] = {
        {"empty object", [](CJsonWriter& w) { w.BeginObject().EndObject(); }, "{}"},
        {"empty array in object",
         [](CJsonWriter& w) { w.BeginObject().Key("rows").BeginArray().EndArray().EndObject(); }, R"({"rows":[]})"},
        {"fields", [](CJsonWriter& w) { w.BeginObject().Field("a", 1).Field("b", true).Field("c", "x").EndObject(); },
         R"({"a":1,"b":true,"c":"x"})"},
        {"array of objects",
         [](CJsonWriter& w) {
             w.BeginArray();
             for (int i = 0; i < 3; ++i) w.BeginObject().Field("n", i).EndObject();
             w.EndArray();
         },
         R"([{"n":0},{"n":1},{"n":2}])"},
        {"nested arrays",
         [](CJsonWriter& w) {
             w.BeginArray().BeginArray().EndArray().Int(-5).BeginArray().Null().EndArray().EndArray();
         },
         "[[],-5,[null]]"},
        {"value after a nested container",
         [](CJsonWriter& w) { w.BeginObject().Key("x").BeginObject().EndObject().Field("y", false).EndObject(); },
         R"({"x":{},"y":false})"},
        {"raw value", [](CJsonWriter& w) { w.BeginObject().Key("w").Raw("12").EndObject(); }, R"({"w":12})"},
    };
    for (const Case& c : cases) {
        CJsonWriter writer;
        c.write(writer);
        EXPECT_EQ(writer.Text(), c.expected) << c.name;
    }
}

TEST(JsonWriter, EscapesStringsAndKeysAndConvertsUtf16)
{
    CJsonWriter writer;
    writer.BeginObject().Field("a\"b", std::u16string(u"名\t\n\x01\\")).Field("big", int64_t(1) << 40).EndObject();
    EXPECT_EQ(writer.Text(), "{\"a\\\"b\":\"名\\t\\n\\u0001\\\\\",\"big\":1099511627776}");
}

TEST(JsonWriter, WritesRealsSoTheyReadBackAsReals)
{
    const std::pair<double, const char*> cases[] = {
        {1.0, "1.0"},
        {2.5, "2.5"},
        {-0.125, "-0.125"},
        {1e300, "1e+300"},
        {std::numeric_limits<double>::infinity(), "null"},
        {std::nan(""), "null"},
    };
    for (const auto& [value, expected] : cases) {
        CJsonWriter writer;
        writer.Real(value);
        EXPECT_EQ(writer.Text(), expected) << value;
    }
}

}  // namespace
}  // namespace kq
