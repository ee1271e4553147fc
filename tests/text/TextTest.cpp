// The texts of the core: arguments put into a translated text in its own
// order, and the choice of the language.

#include <gtest/gtest.h>

#include "text/Language.h"
#include "text/Text.h"

namespace mc {
namespace {

TEST(FormatText, ArgumentsGoWhereTheTextPutsThemAndAreNeverSearchedAgain) {
    EXPECT_EQ(formatText("输出 %1 已被 %2 锁定", {"3", "127.0.0.2"}), "输出 3 已被 127.0.0.2 锁定");
    EXPECT_EQ(formatText("%2 locks output %1", {"3", "127.0.0.2"}), "127.0.0.2 locks output 3");
    EXPECT_EQ(formatText("%1 and %1", {"a"}), "a and a");
    EXPECT_EQ(formatText("%1", {"%2"}), "%2") << "an argument holding a marker";
    EXPECT_EQ(formatText("100% %3 %", {"x"}), "100% %3 %") << "no such argument: left as it is";
}

TEST(Translated, GoesThroughTheInstalledTranslatorOrComesBackAsItIs) {
    EXPECT_EQ(translated("Ctx", "关闭"), "关闭");
    setTranslator(
        [](const char* context, const char* text) { return std::string(context) + ":" + text; });
    EXPECT_EQ(translated("Ctx", "关闭"), "Ctx:关闭");
    setTranslator({});
    EXPECT_EQ(translated("Ctx", "关闭"), "关闭");
}

TEST(ChooseLanguage, TheOptionThenTheFirstLocaleSetEnglishOnlyForEn) {
    const auto choose = [](std::optional<Language> given, std::string all, std::string messages,
                           std::string lang) {
        return chooseLanguage(LanguageInputs{given, all, messages, lang});
    };
    EXPECT_EQ(choose(std::nullopt, "", "", ""), Language::Chinese);
    EXPECT_EQ(choose(std::nullopt, "", "", "C"), Language::Chinese);
    EXPECT_EQ(choose(std::nullopt, "", "", "en_US.UTF-8"), Language::English);
    EXPECT_EQ(choose(std::nullopt, "", "zh_CN.UTF-8", "en_US.UTF-8"), Language::Chinese);
    EXPECT_EQ(choose(std::nullopt, "en_GB", "zh_CN.UTF-8", ""), Language::English);
    EXPECT_EQ(choose(std::nullopt, "de_DE.UTF-8", "", "en_US.UTF-8"), Language::Chinese);
    EXPECT_EQ(choose(Language::Chinese, "en_US.UTF-8", "", ""), Language::Chinese);
    EXPECT_EQ(choose(Language::English, "", "", "zh_CN.UTF-8"), Language::English);
    EXPECT_EQ(parseLanguage("en"), Language::English);
    EXPECT_EQ(parseLanguage("zh"), Language::Chinese);
    EXPECT_EQ(parseLanguage("EN"), std::nullopt);
}

}  // namespace
}  // namespace mc
