#include "forms/property_bag.h"

#include <gtest/gtest.h>

#include <limits>

#include "runtime/text.h"

namespace torvane::forms {
namespace {

std::shared_ptr<Font> SimSun() { return Font::Create({u"宋体", 9, 400, 134, false, false, false}); }

TEST(PropertyBag, NamesMatchWithoutRegardToCase) {
  PropertyBag bag;
  bag.Set(u"font", SimSun());
  bag.Set(u"filter", std::u16string(u"war3.exe | war3.exe"));

  const auto filter = ToString(bag.ReadProperty(u"Filter", std::u16string(u"default")));
  ASSERT_TRUE(filter.ok());
  EXPECT_EQ(filter.value(), u"war3.exe | war3.exe");
  const auto font = ToFont(bag.ReadProperty(u"FONT", Font::Create({})));
  ASSERT_TRUE(font.ok());
  EXPECT_EQ(font.value()->Name(), u"宋体");
  EXPECT_EQ(font.value()->Charset(), 134);

  // Writing under another spelling replaces the entry in its place.
  bag.WriteProperty(u"FILTER", std::u16string(u"x"), std::u16string());
  EXPECT_EQ(bag.Names(), (std::vector<std::u16string>{u"font", u"filter"}));
}

TEST(PropertyBag, MissingNameGivesTheDefaultItself) {
  const PropertyBag bag;
  const auto ambient = SimSun();
  const PropertyValue read = bag.ReadProperty(u"Font", ambient);
  EXPECT_EQ(std::get<std::shared_ptr<Font>>(read), ambient);
  EXPECT_EQ(std::get<std::int32_t>(bag.ReadProperty(u"BackColor", std::int32_t{-7})), -7);
}

TEST(PropertyBag, ValueEqualToTheDefaultIsLeftOutAndStillReadsBack) {
  PropertyBag bag;
  bag.WriteProperty(u"Title", std::u16string(u"changed"), std::u16string(u"打开文件"));
  ASSERT_TRUE(bag.Contains(u"title"));
  bag.WriteProperty(u"Title", std::u16string(u"打开文件"), std::u16string(u"打开文件"));
  EXPECT_FALSE(bag.Contains(u"Title"));
  EXPECT_EQ(std::get<std::u16string>(bag.ReadProperty(u"Title", std::u16string(u"打开文件"))),
            u"打开文件");

  // Fonts equal by description count as the default too.
  bag.WriteProperty(u"Font", SimSun(), SimSun());
  EXPECT_FALSE(bag.Contains(u"Font"));
}

TEST(PropertyBag, EveryValueWrittenLoadsBackThroughItsOwnConversion) {
  PropertyBag bag;
  const std::u16string none = u"\x1";  // a default no value below equals
  for (std::int32_t v :
       {0, 1, -1, std::numeric_limits<std::int32_t>::min(),
        std::numeric_limits<std::int32_t>::max(), static_cast<std::int32_t>(0x80000005u)}) {
    bag.WriteProperty(u"n", v, none);
    EXPECT_EQ(ToInt32(bag.ReadProperty(u"n", none)).value(), v);
  }
  for (bool v : {true, false}) {
    bag.WriteProperty(u"b", v, none);
    EXPECT_EQ(ToBool(bag.ReadProperty(u"b", none)).value(), v);
  }
  for (const std::u16string& v :
       {std::u16string(u""), std::u16string(u"所有类型 (*.*) \0 *.*\0", 16),
        std::u16string(u"  &H10  "), std::u16string(u"True")}) {
    bag.WriteProperty(u"s", v, none);
    EXPECT_EQ(ToString(bag.ReadProperty(u"s", none)).value(), v);
  }
  FontDesc desc{u"Tahoma", 10.5f, 700, 0, true, true, true};
  bag.WriteProperty(u"f", Font::Create(desc), none);
  EXPECT_EQ(ToFont(bag.ReadProperty(u"f", none)).value()->desc(), desc);
}

TEST(PropertyBag, StoredFontIsNeverSharedWithItsWriterOrReaders) {
  PropertyBag bag;
  const auto written = SimSun();
  bag.Set(u"Font", written);
  written->SetSize(20);
  const auto first = ToFont(bag.ReadProperty(u"Font", std::shared_ptr<Font>())).value();
  EXPECT_EQ(first->Size(), 9);
  first->SetSize(30);
  EXPECT_EQ(ToFont(bag.ReadProperty(u"Font", std::shared_ptr<Font>())).value()->Size(), 9);
}

TEST(PropertyConversion, NumbersAndBooleansFromText) {
  EXPECT_EQ(ToInt32(std::u16string(u" -42 ")).value(), -42);
  EXPECT_EQ(ToInt32(std::u16string(u"&H80000005")).value(), static_cast<std::int32_t>(0x80000005u));
  EXPECT_EQ(ToInt32(std::u16string(u"&hff")).value(), 255);
  EXPECT_EQ(ToInt32(std::u16string(u"-2147483648")).value(),
            std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ToInt32(true).value(), -1);
  EXPECT_EQ(ToBool(std::u16string(u"TRUE")).value(), true);
  EXPECT_EQ(ToBool(std::u16string(u"false")).value(), false);
  EXPECT_EQ(ToBool(std::u16string(u"0")).value(), false);
  EXPECT_EQ(ToBool(std::int32_t{5}).value(), true);
  EXPECT_EQ(ToString(std::int32_t{-3}).value(), u"-3");
  EXPECT_EQ(ToString(false).value(), u"False");
}

TEST(PropertyConversion, ValuesThatDoNotConvertFailThatReadOnly) {
  for (const char16_t* text : {u"", u"abc", u"2147483648", u"-2147483649", u"&H", u"&H123456789",
                               u"1.5", u"- 1", u"yes"}) {
    EXPECT_FALSE(ToInt32(std::u16string(text)).ok()) << ToUtf8(text);
  }
  EXPECT_FALSE(ToBool(std::u16string(u"yes")).ok());
  EXPECT_FALSE(ToBool(SimSun()).ok());
  EXPECT_FALSE(ToInt32(SimSun()).ok());
  EXPECT_FALSE(ToString(SimSun()).ok());
  EXPECT_FALSE(ToFont(std::u16string(u"宋体")).ok());
  EXPECT_FALSE(ToFont(std::shared_ptr<Font>()).ok());
  EXPECT_EQ(ToFont(std::int32_t{0}).error().code, TypeMismatch().code);
}

TEST(FontObject, ChangesReachEverySubscriberUntilItsSubscriptionEnds) {
  const auto font = SimSun();
  int first = 0, second = 0;
  auto a = font->OnChange([&] { ++first; });
  Font::Subscription b = font->OnChange([&] { ++second; });
  font->SetSize(12);
  b.reset();
  font->SetItalic(true);
  EXPECT_EQ(first, 2);
  EXPECT_EQ(second, 1);
  EXPECT_EQ(font->Size(), 12);
  EXPECT_TRUE(font->Italic());
}

TEST(FontObject, ListenerMayEndAnotherSubscriptionWhileNotified) {
  const auto font = SimSun();
  Font::Subscription later;
  int laterCalls = 0;
  auto first = font->OnChange([&] { later.reset(); });
  later = font->OnChange([&] { ++laterCalls; });
  font->SetWeight(700);
  EXPECT_EQ(laterCalls, 0);
}

TEST(FontObject, SubscriptionOutlivingItsFontIsHarmless) {
  Font::Subscription s;
  {
    const auto font = SimSun();
    s = font->OnChange([] {});
  }
  s.reset();
}

}  // namespace
}  // namespace torvane::forms
