#include "base/ui_text.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/system_api.h"

namespace sollux {
namespace {

// The blanks of a form: "{1}", "{2}", "{n}".
std::multiset<std::wstring> Blanks(const std::wstring& form) {
  std::multiset<std::wstring> blanks;
  for (size_t at = form.find(L'{'); at != std::wstring::npos; at = form.find(L'{', at + 1)) {
    const size_t end = form.find(L'}', at);
    if (end != std::wstring::npos) blanks.insert(form.substr(at, end - at + 1));
  }
  return blanks;
}

// Every text has an English and a Japanese form, none empty, and each has the same blanks;
// counted texts have a {n}, and a second English form exactly when they are counted.
TEST(UiTextTest, EveryTextHasBothFormsWithTheSameBlanks) {
  for (size_t i = 0; i < kTextCount; ++i) {
    const TextForms& forms = TextTable()[i];
    SCOPED_TRACE(testing::Message()
                 << "text " << i << ": "
                 << testing::PrintToString(std::wstring(forms.english ? forms.english : L"")));
    EXPECT_EQ(i, static_cast<size_t>(forms.id));
    ASSERT_NE(nullptr, forms.english);
    ASSERT_NE(nullptr, forms.japanese);
    EXPECT_NE(L'\0', forms.english[0]);
    EXPECT_NE(L'\0', forms.japanese[0]);
    EXPECT_EQ(Blanks(forms.english), Blanks(forms.japanese));
    if (forms.english_many != nullptr) {
      EXPECT_EQ(Blanks(forms.english), Blanks(forms.english_many));
      EXPECT_EQ(1u, Blanks(forms.english).count(L"{n}"));
    }
  }
}

// A machine whose user's UI language is `language`.
class LanguageSystem : public RealSystemApi {
 public:
  explicit LanguageSystem(LANGID language) : language_(language) {}
  LANGID GetUserDefaultUILanguage() override { return language_; }

 private:
  LANGID language_;
};

TEST(UiTextTest, JapaneseForAJapaneseUiLanguageOnly) {
  const struct {
    LANGID ui;
    Language expected;
  } cases[] = {
      {0x0411, Language::kJapanese},  // ja-JP
      {0x0409, Language::kEnglish},
      {0x0407, Language::kEnglish},  // de-DE
      {0x0804, Language::kEnglish},  // zh-CN
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ui);
    LanguageSystem system(c.ui);
    const ScopedSystemApi scoped(system);
    ForgetUiLanguage();
    EXPECT_EQ(c.expected, UiLanguage());
  }
  ForgetUiLanguage();
}

TEST(UiTextTest, SayFillsBlanksAndCounts) {
  const struct {
    LANGID ui;
    uint64_t count;
    std::wstring counted, filled, date;
  } cases[] = {
      {0x0409, 1, L"1 file is NOT in the backup", L"Backup: E:\\_Backup_\\PC01", L"1970-01-01"},
      {0x0409, 12345, L"12,345 files are NOT in the backup", L"Backup: E:\\_Backup_\\PC01",
       L"1970-01-01"},
      {0x0411, 12345, L"12,345 個のファイルがバックアップにありません",
       L"バックアップ先: E:\\_Backup_\\PC01", L"1970/01/01"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.counted);
    LanguageSystem system(c.ui);
    const ScopedSystemApi scoped(system);
    ForgetUiLanguage();
    EXPECT_EQ(c.counted, SayCounted(Text::kNotInBackup, c.count));
    EXPECT_EQ(c.filled, Say(Text::kReportBackup, {L"E:\\_Backup_\\PC01"}));
    EXPECT_TRUE(DateTimeText(12 * 3600).starts_with(c.date)) << DateTimeText(12 * 3600);
  }
  ForgetUiLanguage();
}

}  // namespace
}  // namespace sollux
