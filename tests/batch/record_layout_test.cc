#include "batch/record_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace talvenor::batch {
namespace {

using platform::PrivateProfile;

int Load(RecordLayout& layout, const std::string& iniText) {
  return LoadRecordLayout(layout, PrivateProfile::Parse(iniText));
}

RecordLayout Detected(int format) {
  RecordLayout layout;
  layout.format = format;
  return layout;
}

// A three-field custom layout whose first description is `first`; the
// format is named, so only the description decides.
std::string WithFirstField(const std::string& first) {
  return "[PARSER]\nUSEDEFAULT=0\nFILEFORMAT=1\nindexblz=2\nindexkto=3\n"
         "[FIELDS]\nANZ=3\nFIELD1=" +
         first + "\nFIELD2=8,0,BLZ\nFIELD3=10,0,KTO\n";
}

void ExpectDefaultLayout(const RecordLayout& layout) {
  struct Expected {
    const char* name;
    int length;
    int quoted;
  };
  const Expected expected[] = {
      {"LKZ", 2, 1},      {"USER", 5, 1},     {"REFERENZ", 30, 1}, {"BICALT", 11, 1},
      {"LKZPZALT", 4, 1}, {"BLZALT", 8, 0},   {"KTOALT", 10, 0},   {"FREI1", 20, 1},
      {"BICNEU", 11, 1},  {"IBANNEU", 22, 1}, {"FREI2", 20, 1},    {"ERGEB", 2, 0},
  };
  ASSERT_EQ(layout.fields.size(), 12u);
  for (int i = 0; i < 12; ++i) {
    const FieldInfo& field = layout.fields[static_cast<std::size_t>(i)];
    EXPECT_EQ(field.name, expected[i].name) << i;
    EXPECT_EQ(field.length, expected[i].length) << i;
    EXPECT_EQ(field.quoted, expected[i].quoted) << i;
    EXPECT_EQ(field.index, i);
    EXPECT_EQ(layout.RoleField(i + 1), i);
  }
  // 2+5+30+11+4+8+10+20+11+22+20+2 = 145
  EXPECT_EQ(layout.RecordLength(), 145);
  EXPECT_EQ(layout.bankCodePosition, 5);
  EXPECT_EQ(layout.accountPosition, 6);
}

TEST(RecordLayout, MissingFileGivesTheBuiltInLayout) {
  RecordLayout layout = Detected(kFormatSeparated);
  EXPECT_EQ(LoadRecordLayout(layout, std::filesystem::path("/nonexistent/dir/FORMAT.INI")),
            kLayoutUsable);
  ExpectDefaultLayout(layout);
  EXPECT_EQ(layout.format, kFormatSeparated);  // the detected format stays
}

TEST(RecordLayout, UseDefaultIgnoresTheCustomKeys) {
  RecordLayout layout = Detected(kFormatFixed);
  EXPECT_EQ(Load(layout,
                 "[PARSER]\nUSEDEFAULT=2\nFILEFORMAT=1\nindexblz=1\nindexkto=1\n"
                 "[FIELDS]\nANZ=1\nFIELD1=,bad\n"),
            kLayoutUsable);
  ExpectDefaultLayout(layout);
  EXPECT_EQ(layout.format, kFormatFixed);
}

TEST(RecordLayout, LoadResults) {
  struct Case {
    const char* what;
    std::string ini;
    int detectedFormat;
    int expected;
  };
  const std::string head = "[PARSER]\nUSEDEFAULT=0\nindexblz=1\nindexkto=2\n[FIELDS]\n";
  // clang-format off
  const Case cases[] = {
      {"ANZ missing", "[PARSER]\nUSEDEFAULT=0\nindexblz=1\nindexkto=2\n", 0, 0},
      {"ANZ 0", head + "ANZ=0\n", 0, 0},
      {"third of five missing",
       head + "ANZ=5\nFIELD1=8,0\nFIELD2=10,0\nFIELD4=5\nFIELD5=5\n", 0, 0},
      {"empty description", head + "ANZ=2\nFIELD1=8,0\nFIELD2=\n", 0, 0},
      {"length 0", WithFirstField("0,1,X"), 0, 0},
      {"negative length", WithFirstField("-5,1"), 0, 0},
      {"no length digits", WithFirstField("X,1"), 0, 0},
      {"comma first", WithFirstField(",1"), 0, 0},
      {"quote flag 2", WithFirstField("5,2"), 0, 0},
      {"quote flag 01", WithFirstField("5,01"), 0, 0},
      {"role 11", WithFirstField("5,1,X,11"), 0, 0},
      {"role 1a", WithFirstField("5,1,X,1a"), 0, 0},
      {"role 0", WithFirstField("5,1,X,0"), 0, 0},
      {"role +3", WithFirstField("5,1,X,+3"), 0, 0},
      {"length alone", WithFirstField("5"), 0, 1},
      {"empty parts", WithFirstField("5,,,"), 0, 1},
      {"role 10", WithFirstField("5,1,X,10"), 0, 1},
      {"fixed, quoted first", head + "ANZ=2\nFIELD1=2,1,LKZ\nFIELD2=8,0\n", kFormatFixed, -1},
      {"fixed, unquoted first", head + "ANZ=2\nFIELD1=2,0,LKZ\nFIELD2=8,0\n", kFormatFixed, 1},
      {"fixed, named fixed",
       head + "ANZ=2\nFIELD1=2,1,LKZ\nFIELD2=8,0\n[PARSER]\nFILEFORMAT=0\n", kFormatFixed, 1},
      {"csv, unquoted first", head + "ANZ=2\nFIELD1=8,0\nFIELD2=8,1\n", kFormatSeparated, -1},
      {"csv, quoted first", head + "ANZ=2\nFIELD1=8,1\nFIELD2=8,0\n", kFormatSeparated, 1},
      {"csv, default flag", head + "ANZ=2\nFIELD1=8\nFIELD2=8\n", kFormatSeparated, 1},
      {"bad first field before format test", head + "ANZ=2\nFIELD1=0,1\nFIELD2=8\n", 0, 0},
      {"indexes equal",
       "[PARSER]\nUSEDEFAULT=0\nFILEFORMAT=0\nindexblz=2\nindexkto=2\n[FIELDS]\nANZ=2\n"
       "FIELD1=8\nFIELD2=10\n", 0, 0},
      {"indexblz beyond ANZ",
       "[PARSER]\nUSEDEFAULT=0\nFILEFORMAT=0\nindexblz=3\nindexkto=2\n[FIELDS]\nANZ=2\n"
       "FIELD1=8\nFIELD2=10\n", 0, 0},
      {"indexkto 0",
       "[PARSER]\nUSEDEFAULT=0\nFILEFORMAT=0\nindexblz=1\nindexkto=0\n[FIELDS]\nANZ=2\n"
       "FIELD1=8\nFIELD2=10\n", 0, 0},
      {"indexkto absent",
       "[PARSER]\nUSEDEFAULT=0\nFILEFORMAT=0\nindexblz=1\n[FIELDS]\nANZ=2\nFIELD1=8\nFIELD2=10\n",
       0, 0},
      // The old IBAN's part means no bank-code or account position is read.
      {"role 5 assigned", WithFirstField("4,1,LKZPZALT,5"), 0, 0},
      {"huge ANZ", head + "ANZ=2147483647\nFIELD1=8,0\nFIELD2=10,0\n", 0, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    RecordLayout layout = Detected(c.detectedFormat);
    const int result = Load(layout, c.ini);
    EXPECT_EQ(result, c.expected) << c.what;
    if (result != kLayoutUsable) {
      EXPECT_TRUE(layout.fields.empty()) << c.what;
      EXPECT_EQ(layout.bankCodePosition, -1) << c.what;
      EXPECT_EQ(layout.accountPosition, -1) << c.what;
    }
  }
}

TEST(RecordLayout, ReadsACustomLayout) {
  RecordLayout layout = Detected(kFormatFixed);
  ASSERT_EQ(Load(layout,
                 "[PARSER]\nUSEDEFAULT=0\nindexblz=3\nindexkto=2\n"
                 "[FIELDS]\nANZ=5\nFIELD1=2,0,LKZ,1\nFIELD2=10,0,Konto\nFIELD3=8,0,BLZ\n"
                 "FIELD4=11,1,BIC,9\nFIELD5=22,,IBAN,10\n"),
            kLayoutUsable);
  EXPECT_EQ(layout.format, kFormatFixed);
  EXPECT_EQ(layout.bankCodePosition, 2);
  EXPECT_EQ(layout.accountPosition, 1);
  ASSERT_EQ(layout.fields.size(), 5u);
  EXPECT_EQ(layout.fields[1].name, "Konto");
  EXPECT_EQ(layout.fields[1].length, 10);
  EXPECT_EQ(layout.fields[1].quoted, 0);
  EXPECT_EQ(layout.fields[4].quoted, 1);  // empty flag keeps the default
  for (int i = 0; i < 5; ++i) EXPECT_EQ(layout.fields[static_cast<std::size_t>(i)].index, i);
  EXPECT_EQ(layout.RecordLength(), 2 + 10 + 8 + 11 + 22);
  const int expectedRoles[kRoleCount] = {0, -1, -1, -1, -1, -1, -1, -1, 3, 4, -1, -1};
  for (int role = 1; role <= kRoleCount; ++role) {
    EXPECT_EQ(layout.RoleField(role), expectedRoles[role - 1]) << "role " << role;
  }
}

TEST(RecordLayout, FixedLengthFieldsForTheNewBicAndIbanHoldThem) {
  struct Case {
    const char* fileFormat;
    const char* bic;   // the new BIC's field description
    const char* iban;  // the new IBAN's field description
    int expected;
  };
  // clang-format off
  const Case cases[] = {
      {"0", "11,0,BIC,9", "22,0,IBAN,10", kLayoutUsable},
      {"0", "15,0,BIC,9", "30,0,IBAN,10", kLayoutUsable},
      {"0", "10,0,BIC,9", "22,0,IBAN,10", kLayoutInsufficient},
      {"0", "11,0,BIC,9", "21,0,IBAN,10", kLayoutInsufficient},
      {"0", "1,0,BIC,9", "1,0,IBAN,10", kLayoutInsufficient},
      {"0", "8,0,BIC", "20,0,IBAN", kLayoutUsable},  // no roles: values are appended
      // The role that counts is the last one named.
      {"0", "20,0,BIC,9", "8,0,IBAN,9", kLayoutInsufficient},
      // In separated values a field's length does not bound what is written.
      {"1", "8,0,BIC,9", "20,0,IBAN,10", kLayoutUsable},
  };
  // clang-format on
  for (const Case& c : cases) {
    RecordLayout layout = Detected(kFormatFixed);
    const std::string ini = std::string("[PARSER]\nUSEDEFAULT=0\nFILEFORMAT=") + c.fileFormat +
                            "\nindexblz=1\nindexkto=2\n[FIELDS]\nANZ=4\nFIELD1=8,0\n"
                            "FIELD2=10,0\nFIELD3=" +
                            c.bic + "\nFIELD4=" + c.iban + "\n";
    EXPECT_EQ(Load(layout, ini), c.expected) << c.bic << " " << c.iban;
  }
}

TEST(RecordLayout, ASemicolonInADescriptionKeepsItsRole) {
  RecordLayout layout = Detected(kFormatFixed);
  ASSERT_EQ(Load(layout,
                 "[PARSER]\nUSEDEFAULT=0\nFILEFORMAT=0\nindexblz=1\nindexkto=2\n"
                 "[FIELDS]\nANZ=3\nFIELD1=8,0\nFIELD2=10,0\n; a comment line\n"
                 "FIELD3=11,0,Name ;x,9\n"),
            kLayoutUsable);
  EXPECT_EQ(layout.fields[2].name, "Name ;x");
  EXPECT_EQ(layout.RoleField(kRoleNewBic), 2);
}

TEST(RecordLayout, LaterFieldNamingARoleReplacesTheEarlierOne) {
  RecordLayout layout = Detected(kFormatSeparated);
  ASSERT_EQ(Load(layout,
                 "[PARSER]\nUSEDEFAULT=0\nindexblz=2\nindexkto=3\n[FIELDS]\nANZ=4\n"
                 "FIELD1=11,1,A,9\nFIELD2=8,0\nFIELD3=10,0\nFIELD4=11,1,B,9\n"),
            kLayoutUsable);
  EXPECT_EQ(layout.RoleField(kRoleNewBic), 3);
}

TEST(RecordLayout, FileFormatOverridesTheDetectedFormat) {
  struct Case {
    const char* fileFormat;
    int detected;
    int expected;
  };
  const Case cases[] = {
      {"0", kFormatSeparated, kFormatFixed},
      {"1", kFormatFixed, kFormatSeparated},
      {"2", kFormatFixed, kFormatSeparated},
      {"-7", kFormatFixed, kFormatSeparated},
  };
  for (const Case& c : cases) {
    RecordLayout layout = Detected(c.detected);
    // The first field's flag contradicts the detected format; a named format
    // makes that irrelevant.
    const std::string flag = c.detected == kFormatFixed ? "1" : "0";
    EXPECT_EQ(Load(layout, std::string("[PARSER]\nUSEDEFAULT=0\nFILEFORMAT=") + c.fileFormat +
                               "\nindexblz=1\nindexkto=2\n[FIELDS]\nANZ=2\nFIELD1=8," + flag +
                               "\nFIELD2=10\n"),
              kLayoutUsable)
        << c.fileFormat;
    EXPECT_EQ(layout.format, c.expected) << c.fileFormat;
  }
}

TEST(RecordLayout, LongFieldDescriptionsAreReadInFull) {
  // "5,1," + 193 name characters + ",9" = 199 characters; the line is 206.
  const std::string name(193, 'N');
  const std::string longerName(400, 'M');
  RecordLayout layout = Detected(kFormatSeparated);
  ASSERT_EQ(Load(layout,
                 "[PARSER]\nUSEDEFAULT=0\nindexblz=2\nindexkto=3\n[FIELDS]\nANZ=4\n"
                 "FIELD1=5,1," +
                     name +
                     ",9\nFIELD2=8,0\nFIELD3=10,0\n"
                     "FIELD4=22,1," +
                     longerName + ",10\n"),
            kLayoutUsable);
  EXPECT_EQ(layout.fields[0].name, name);
  EXPECT_EQ(layout.RoleField(kRoleNewBic), 0);
  EXPECT_EQ(layout.fields[3].name, longerName);
  EXPECT_EQ(layout.RoleField(kRoleNewIban), 3);
}

TEST(RecordLayout, RecordLengthDoesNotOverflow) {
  RecordLayout layout = Detected(kFormatFixed);
  ASSERT_EQ(Load(layout,
                 "[PARSER]\nUSEDEFAULT=0\nindexblz=1\nindexkto=2\n[FIELDS]\nANZ=2\n"
                 "FIELD1=99999999999,0\nFIELD2=2147483647,0\n"),
            kLayoutUsable);
  EXPECT_EQ(layout.fields[0].length, INT_MAX);
  EXPECT_EQ(layout.RecordLength(), INT_MAX);
}

TEST(RecordLayout, ShippedSampleLoads) {
  const auto sample = std::filesystem::path(__FILE__).parent_path() / "../../examples/FORMAT.INI";
  ASSERT_TRUE(std::filesystem::exists(sample)) << sample;
  RecordLayout layout = Detected(kFormatFixed);
  EXPECT_EQ(LoadRecordLayout(layout, sample), kLayoutUsable);
  EXPECT_EQ(layout.format, kFormatSeparated);
  EXPECT_NE(layout.RoleField(kRoleNewBic), -1);
  EXPECT_NE(layout.RoleField(kRoleNewIban), -1);
}

TEST(RecordLayout, FailureMessages) {
  EXPECT_EQ(LayoutFailureMessage(kLayoutInsufficient),
            "Die Formatangaben sind nicht ausreichend!\nEs fehlen notwendige Felder!");
  EXPECT_EQ(LayoutFailureMessage(kLayoutFormatUnspecified),
            "Die Formatangaben sind nicht ausreichend!\n"
            "Das Format (CSV, Feste Satzlänge) ist nicht spezifiziert!");
}

}  // namespace
}  // namespace talvenor::batch
