// The binding to the translation library: without the library, and with a
// stand-in built for the tests that answers every call in one buffer.
#include "DictionaryIntf.h"

#include "Exceptions.h"
#include "TestSupport.h"

#include <QFile>
#include <QLibrary>
#include <gtest/gtest.h>

using namespace Plotmere;

namespace {
QString FakeLibrary(const QString& folder) {
    return BinDir() + "/test-dictionary/" + folder + "/" + TWKDictionary::LibraryName();
}

// Replaces the stand-in's language text for the life of the object.
class TFakeLanguages {
public:
    explicit TFakeLanguages(const char16_t* text) : FLibrary(FakeLibrary("full")) {
        Set = reinterpret_cast<void (*)(const char16_t*)>(FLibrary.resolve("FakeSetLanguages"));
        if (Set) Set(text);
    }
    ~TFakeLanguages() {
        if (Set) Set(u"1=English\r\n2=Deutsch\r\n");
    }
    void (*Set)(const char16_t*) = nullptr;

private:
    QLibrary FLibrary;
};
}  // namespace

TEST(DictionaryIntf, WithoutTheLibraryTextStaysAsItIs) {
    TWKDictionary dictionary(FakeLibrary("absent"));
    EXPECT_FALSE(dictionary.Attached());
    EXPECT_EQ(dictionary.Translate(3, "Глубина"), "Глубина");
    EXPECT_EQ(dictionary.FindLanguage("English"), int32_t(0x80000001u));
    TLanguageList list{{"stale", 9}};
    dictionary.GetLanguages(list);
    EXPECT_TRUE(list.isEmpty());
}

TEST(DictionaryIntf, StandInLibraryAnswersAndItsTextIsCopiedAtOnce) {
    ASSERT_TRUE(QFile::exists(FakeLibrary("full")));
    TWKDictionary dictionary(FakeLibrary("full"));
    ASSERT_TRUE(dictionary.Attached());
    TLanguageList list;
    dictionary.GetLanguages(list);
    EXPECT_EQ(list, (TLanguageList{{"English", 1}, {"Deutsch", 2}}));
    EXPECT_EQ(dictionary.FindLanguage("deutsch"), 2);
    EXPECT_EQ(dictionary.FindLanguage("Klingon"), NoLanguage);
    // The stand-in writes every answer into one buffer: the first text must
    // have been copied before the second call overwrote it.
    const QString first = dictionary.Translate(1, "Скважина");
    const QString second = dictionary.Translate(2, "Давление на входе");
    EXPECT_EQ(first, "en:Скважина");
    EXPECT_EQ(second, "de:Давление на входе");
}

TEST(DictionaryIntf, LanguageLinesSkipEmptyOnesAndRefuseIdsThatAreNotNumbers) {
    TWKDictionary dictionary(FakeLibrary("full"));
    ASSERT_TRUE(dictionary.Attached());
    const struct {
        const char16_t* Text;
        TLanguageList Expected;
    } cases[] = {
        {u"", {}},
        {u"\r\n\r\n", {}},
        {u"3=Français\r\n\r\n7=Tatar=Татар\n", {{"Français", 3}, {"Tatar=Татар", 7}}},
        {u"5=Last without a line end", {{"Last without a line end", 5}}},
    };
    for (const auto& c : cases) {
        TFakeLanguages fake(c.Text);
        ASSERT_NE(fake.Set, nullptr);
        TLanguageList list;
        dictionary.GetLanguages(list);
        EXPECT_EQ(list, c.Expected) << QString::fromUtf16(c.Text).toStdString();
    }
    for (const char16_t* bad : {u"1=English\r\nx=Bad\r\n", u"English\r\n", u"1.5=Half\r\n"}) {
        TFakeLanguages fake(bad);
        TLanguageList list;
        EXPECT_THROW(dictionary.GetLanguages(list), EConvertError) << QString::fromUtf16(bad).toStdString();
    }
}

TEST(DictionaryIntf, MissingFunctionAnswersAsWithoutTheLibrary) {
    TWKDictionary dictionary(FakeLibrary("nofind"));
    ASSERT_TRUE(dictionary.Attached());
    EXPECT_EQ(dictionary.FindLanguage("English"), NoLanguage);
    EXPECT_EQ(dictionary.Translate(1, "Шаг"), "en:Шаг");
}

TEST(DictionaryIntf, ProgramBindingLooksInTheProgramFolder) {
    EXPECT_EQ(WKDictionary().Attached(), QFile::exists(BinDir() + "/" + TWKDictionary::LibraryName()));
}
