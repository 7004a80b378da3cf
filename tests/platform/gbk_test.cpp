// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/gbk.h"
#include "platform/texts.h"

#include <gtest/gtest.h>
#include <thread>

namespace vorin {
namespace {

TEST(Gbk, ConstantsAreTheExactGbkBytes)
{
    EXPECT_EQ(texts().fieldIp, "IP\xB5\xD8\xD6\xB7");
    EXPECT_EQ(texts().gridTitles[1], " IP\xB5\xD8\xD6\xB7");
    EXPECT_EQ(texts().gridTitles[6], "\xCB\xD9\xB6\xC8(ms)");
    EXPECT_EQ(texts().markValid, "\xA1\xCC");
    EXPECT_EQ(texts().markFailed, "\xA1\xD1");
    EXPECT_EQ(texts().title, "Vorin\xD6\xC7\xC4\xDC\xB4\xFA\xC0\xED V5.0");
}

TEST(Gbk, RoundTripsChineseAndAscii)
{
    const std::string utf8 = "当前代理为：1.2.3.4:8080";
    std::string bytes = gbk::fromUtf8(utf8);
    EXPECT_EQ(bytes.size(), 12u + 12u);
    EXPECT_EQ(gbk::toUtf8(bytes), utf8);
    EXPECT_EQ(gbk::fromUtf8("plain"), "plain");
}

TEST(Gbk, ReplacesWhatCannotBeConvertedAndGoesOn)
{
    // A lead byte without a trail byte, a byte GBK never uses and a truncated character at the end.
    EXPECT_EQ(gbk::toUtf8("a\x81 z"), "a\xEF\xBF\xBD z");
    EXPECT_EQ(gbk::toUtf8("\xFF"
                          "b"),
              "\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(gbk::toUtf8("c\xB5"), "c\xEF\xBF\xBD");
    // One character GBK lacks gives one '?', and malformed UTF-8 is no reason to stop.
    EXPECT_EQ(gbk::fromUtf8("x\xF0\x9F\x98\x80y"), "x?y");
    EXPECT_EQ(gbk::fromUtf8("x\xC3y"), "x?y");
}

TEST(Gbk, CharLengthKeepsTwoByteCharactersTogether)
{
    std::string s = texts().fieldIp; // "IP" then two two-byte characters
    EXPECT_EQ(gbk::charLength(s, 0), 1u);
    EXPECT_EQ(gbk::charLength(s, 2), 2u);
    EXPECT_EQ(gbk::charLength(s, 4), 2u);
    EXPECT_EQ(gbk::charLength(s, 5), 1u); // a trail byte at the very end stands alone
    EXPECT_EQ(gbk::charLength("\xB5"
                              "a",
                              0),
              2u); // 'a' (0x61) is a valid trail byte
    EXPECT_EQ(gbk::charLength("\xB5\x7F", 0), 1u);
}

TEST(Gbk, ConvertsOnSeveralThreadsAtOnce)
{
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                if (gbk::toUtf8(gbk::fromUtf8("验证结束")) != "验证结束")
                    ++wrong;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(wrong, 0);
}

TEST(TextsLanguage, TheLocaleChoosesAsGettextDoes)
{
    struct Case {
        const char *lcAll, *lcMessages, *lang, *language;
        Language expected;
    };
    const Language zh = Language::Chinese, en = Language::English;
    const Case cases[] = {
        {nullptr, nullptr, nullptr, nullptr, en},
        {nullptr, nullptr, "zh_CN.UTF-8", nullptr, zh},
        {nullptr, nullptr, "zh_TW.Big5", nullptr, zh},
        {nullptr, nullptr, "zh", nullptr, zh},
        {nullptr, nullptr, "zhx_YY", nullptr, en},
        {nullptr, nullptr, "en_US.UTF-8", nullptr, en},
        {"", "", "zh_CN.GBK", nullptr, zh}, // empty counts as unset
        {"C", nullptr, "zh_CN.UTF-8", nullptr, en},
        {nullptr, "de_DE.UTF-8", "zh_CN.UTF-8", nullptr, en},
        {"zh_SG.UTF-8", "en_US.UTF-8", nullptr, nullptr, zh},
        {nullptr, nullptr, "en_US.UTF-8", "zh_CN:en", zh},
        {nullptr, nullptr, "zh_CN.UTF-8", "en:zh_CN", en},
        {nullptr, nullptr, "C.UTF-8", "zh_CN", en}, // LANGUAGE is ignored under C
        {nullptr, nullptr, "POSIX", "zh_CN", en},
        {nullptr, nullptr, nullptr, "zh_CN", en},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(localeLanguage(c.lcAll, c.lcMessages, c.lang, c.language), c.expected)
            << (c.lang ? c.lang : "-") << " " << (c.language ? c.language : "-");
    }
}

// Field names, grid marks, export headers and page markers are data: saved files and parsed pages must
// not change with the language.
TEST(TextsLanguage, EnglishLeavesEveryDataTextAlone)
{
    const Texts chinese = texts();
    setMessageLanguage(Language::English);
    const Texts english = texts();
    const std::string said = say("中文", "English");
    setMessageLanguage(Language::Chinese);
    EXPECT_EQ(said, "English");
    EXPECT_EQ(say("中文", "English"), "中文");
    for (auto data : {&Texts::fieldIp, &Texts::fieldPort, &Texts::fieldProtocol, &Texts::fieldLocation,
                      &Texts::fieldValid, &Texts::fieldSpeed, &Texts::markValid, &Texts::markFailed,
                      &Texts::lookupMarker, &Texts::lookupMarker2, &Texts::fullColon, &Texts::exportHeader,
                      &Texts::unknownLocation, &Texts::htmlTitleUtf8, &Texts::htmlHeadings,
                      &Texts::markerAdmin, &Texts::markerSooip, &Texts::haozsPinned, &Texts::title})
        EXPECT_EQ(english.*data, chinese.*data);
    for (auto message :
         {&Texts::countPrefix, &Texts::summaryPrefix, &Texts::summarySuffix, &Texts::downFrom,
          &Texts::cannotRead, &Texts::guardFailed, &Texts::desktopDiffers, &Texts::offlineProblem}) {
        EXPECT_NE(english.*message, chinese.*message);
        for (unsigned char c : english.*message)
            EXPECT_LT(c, 0x80) << english.*message;
    }
}

} // namespace
} // namespace vorin
