// The bank-specific IBAN rules on the built-in bank directory.
//
// Expected IBANs of the directory cases were formed by hand (mod 97 of bank
// code, account and "131400"); where a case depends on the account check,
// the arithmetic of the bank's method is in the comment beside it.
#include "core/rule_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "core/iban.h"
#include "core/rule_engine.h"
#include "core/single_conversion.h"
#include "editions/builtin_directory.h"

namespace talvenor {
namespace {

// Every rule number with a step of its own; all other numbers have none.
constexpr int kDispatchedRules[] = {
    200,  300,  400,  500,  501,  502,  503,  600,  700,  800,  900,  1000, 1001, 1100, 1200, 1201,
    1300, 1301, 1400, 1500, 1501, 1600, 1700, 1800, 1900, 2000, 2001, 2002, 2100, 2101, 2200, 2300,
    2400, 2500, 2600, 2700, 2800, 2900, 3000, 3100, 3101, 3200, 3300, 3301, 3400, 3500, 3501, 3600,
    3700, 3800, 3900, 4000, 4001, 4100, 4200, 4201, 4300, 4301, 4400, 4500, 4501, 4600, 4700, 4800,
    4901, 5000, 5100, 5200, 5300, 5400, 5401, 5500, 5600, 5601, 5602, 5603, 5700};

TEST(RuleCatalogue, ExactlyTheDispatchedRuleNumbersHaveAStep) {
  EXPECT_EQ(std::size(kDispatchedRules), 77u);
  for (int rule : kDispatchedRules) EXPECT_NE(FindRuleStep(rule), nullptr) << rule;
  for (int rule : {0,    1,    100,  101,  199,  201,  504,  1002, 2003, 3302, 3502,
                   4202, 4302, 4502, 4900, 4902, 5402, 5604, 5701, 9900, -200}) {
    EXPECT_EQ(FindRuleStep(rule), nullptr) << rule;
  }
}

// One account per rule number of the directory, converted as a person
// would: bank code and account typed in, no DEBUG.INI.
struct DirectoryCase {
  const char* bankCode;
  const char* account;
  const char* bic;
  const char* iban;  // "" when no IBAN is formed
  std::string_view verdict;
  int resultCode;
  const char* accountAfter = nullptr;  // the account text a rule replaced in place
};

const DirectoryCase kDirectoryCases[] = {
    // Rule 0 at 20050550, method 00: cross sums of 1234567897 give 43, digit 7.
    {"20050550", "1234567897", "HASPDEHHXXX", "DE39200505501234567897", kVerdictValid, 0},
    // Rule 100 (bank to be deleted without successor, method 09).
    {"21000000", "1234567890", "MARKDEF1210", "DE39210000001234567890", kVerdictValid, 50},
    // Rule 400: donation account 135.
    {"10050000", "135", "BELADEBEXXX", "DE86100500000990021440", kVerdictDonationValid, 1,
     "990021440"},
    // Rule 503: pseudo account 36 of 30040000; COBADEDDXXX becomes the head office BIC.
    {"30040000", "36", "COBADEFFXXX", "DE95300400000261103600", kVerdictPseudoReplaced, 1,
     "261103600"},
    // Rule 503: 998000000 at a listed bank code with "8" in fourth place.
    {"10080900", "998000000", "DRESDEFF199", "", kVerdictExcluded, 12},
    // Rule 503: 999500000 lies above the excluded block; method 76 over
    // positions 2-7 "999500": 20+45+54+63 = 182, 182 mod 11 = 6, not 0: fails.
    {"10080900", "999500000", "DRESDEFF199", "DE30100809000999500000", kVerdictInvalid, 11},
    // Rule 600: donation account 70000.
    {"70150000", "70000", "SSKMDEMMXXX", "DE64701500000018180018", kVerdictDonationValid, 1,
     "18180018"},
    // Rule 700: donation account 111.
    {"37050198", "111", "COLSDE33XXX", "DE15370501980000001115", kVerdictDonationValid, 1, "1115"},
    // The table has 8888, not 888; 888 is checked like any account (and fails).
    {"37050198", "8888", "COLSDE33XXX", "DE42370501981901335750", kVerdictDonationValid, 1,
     "1901335750"},
    {"37050198", "888", "COLSDE33XXX", "DE33370501980000000888", kVerdictInvalid, 11},
    // Rule 800, method 60 on positions 3-9 of 1234567891: 9+8+5+6+1+4+6 = 39, digit 1.
    {"10020200", "1234567891", "BHFBDEFF500", "DE30500202001234567891", kVerdictValid, 15},
    {"10020200", "1234567890", "BHFBDEFF500", "DE57500202001234567890", kVerdictInvalid, 11},
    // Rule 1001: 50050222 is served under 50050201. Method 19 on 1234567898:
    // 18+24+28+30+30+28+24+18+1 = 201, 201 mod 11 = 3, digit 8.
    {"50050222", "1234567898", "HELADEF1822", "DE45500502011234567898", kVerdictValid, 15},
    // Rule 1001: account 2000 of 50050201 becomes 222000. Method 96 fails it
    // ("19": s = 8, digit 3; "00": s = 4, digit 6; below 0001300000); the
    // rule names no verdict, so completion writes the valid one.
    {"50050201", "2000", "HELADEF1822", "DE42500502010000222000", kVerdictValid, 1},
    // Rule 1100: donation account 1000.
    {"32050000", "1000", "SPKRDE33XXX", "DE44320500000008010001", kVerdictDonationValid, 1,
     "8010001"},
    // Rule 1201 at a bank to be deleted: the moved bank code gives 15, not 14.
    {"50850049", "1234567897", "HELADEFFXXX", "DE21500500001234567897", kVerdictValid, 15},
    // Rule 1301, method 08: accounts below 60000 pass without check.
    {"40050000", "12345", "WELADEDDXXX", "DE62300500000000012345", kVerdictValid, 15},
    // Rule 1400 names the bank's own code and BIC. Method A4 on positions
    // 4-9 "123456": 12+15+16+15+12+7 = 77, 77 mod 11 = 0, digit 0.
    {"30060601", "1234560", "DAAEDEDDXXX", "DE55300606010001234560", kVerdictValid, 0},
    // Rule 1501: pseudo account 556.
    {"37060193", "556", "GENODED1PAX", "DE75370601930000101010", kVerdictPseudoReplaced, 1,
     "101010"},
    // Rule 1600: account 300000 goes into the IBAN as 18128012; the text stays.
    {"37160087", "300000", "GENODED1CGN", "DE68371600870018128012", kVerdictReplaced, 1},
    // Rule 1700: pseudo account 100.
    {"38060186", "100", "GENODED1BRS", "DE43380601862009090013", kVerdictPseudoReplaced, 1,
     "2009090013"},
    // Rule 1800: account 556, and the ten-digit 5435435430 keyed without its "5".
    {"39060180", "556", "GENODED1AAC", "DE05390601800120440110", kVerdictReplaced, 1, "120440110"},
    {"39060180", "5435435430", "GENODED1AAC", "DE37390601800543543543", kVerdictReplaced, 1,
     "543543543"},
    // Rule 2002: the donation account 9999 of 50070010.
    {"50070010", "9999", "DEUTDEFFXXX", "DE80500700100092777202", kVerdictDonationValid, 1},
    // Rule 2002, method 63 on 0001234400: positions 2-7 "001234" give
    // 8+3+4+1 = 16, digit 4 = position 8; the sub-account test on positions
    // 4-9 "123440" gives 0+4+8+3+4+1 = 20, digit 0 = position 10. The IBAN
    // takes positions 3-10 and "00"; the result code stays 0.
    {"50070010", "1234400", "DEUTDEFFXXX", "DE19500700100123440000", kVerdictValid, 0},
    // Rule 2002 at the one "C7" bank: 1234567892 passes through "06" (s = 174,
    // digit 2) but not "63" (position 1 is not "0"): refused.
    {"76026000", "1234567892", "NORSDE71XXX", "", kVerdictExcluded, 12},
    // Rule 2101: a five-digit account is never valid.
    {"36020030", "12345", "NBAGDE3EXXX", "DE17360200300000012345", kVerdictInvalid, 11},
    // Rule 2200 and 2300: fixed accounts.
    {"43060967", "1111111", "GENODEM1GLS", "DE22430609672222200000", kVerdictReplaced, 1},
    {"26590025", "700", "GENODEF1OSV", "DE76265900251000700800", kVerdictReplaced, 1},
    // Rule 2400: account 94.
    {"36060295", "94", "GENODED1BBE", "DE48360602950000001694", kVerdictReplaced, 1, "1694"},
    // Rules 2600 and 2700 accept accounts that fail method 06 (55111: s = 50,
    // digit 5; 3333: s = 27, digit 6); completion supplies the valid verdict.
    {"35060190", "55111", "GENODED1DKD", "DE21350601900000055111", kVerdictValid, 0},
    {"32060362", "3333", "GENODED1HTK", "DE47320603620000003333", kVerdictValid, 0},
    // Rule 2800: 25050299 is replaced by its successor 25050180 (method A3,
    // whose "00" passes 1234567897); the rule names the same bank code.
    {"25050299", "1234567897", "SPKHDE2HXXX", "DE59250501801234567897", kVerdictValid, 15},
    // Rule 2900, method 09: the zero in fourth place is dropped.
    {"51210800", "1230456789", "SOGEDEFFXXX", "DE22512108000123456789", kVerdictValid, 1},
    // Rule 3200: prefix 85 is refused; prefix 407 moves to 37020090. Method 99
    // checks ten digits with "06": 407123456 gives 12+15+16+15+12+7+14+0+16 =
    // 107, 107 mod 11 = 8, digit 3.
    {"10020890", "0851234567", "HYVEDEMM488", "", kVerdictExcluded, 12},
    {"10020890", "4071234563", "HYVEDEMM429", "DE60370200904071234563", kVerdictValid, 15},
    // Rule 3301 takes the prefixes 80-89 (method 95 passes 847321750) and
    // the donation accounts of rule 0033.
    {"70020270", "847321750", "HYVEDEMMXXX", "DE36700202700847321750", kVerdictValid, 0},
    {"70020270", "22222", "HYVEDEMMXXX", "DE11700202705803435253", kVerdictDonationValid, 1,
     "5803435253"},
    {"70020270", "1111111", "HYVEDEMMXXX", "DE88700202700039908140", kVerdictDonationValid, 1,
     "39908140"},
    // Rule 3400: donation account 502.
    {"60020290", "502", "HYVEDEMM473", "DE28600202904340118001", kVerdictDonationValid, 1,
     "4340118001"},
    // Rule 3501 has the donation account of rule 0035.
    {"79020076", "9696", "HYVEDEMM455", "DE29790200761490196966", kVerdictDonationValid, 1,
     "1490196966"},
    // Rule 3501: prefix 404 moves to 30220190. Method 99 ("06"): 404123456
    // gives 101, 101 mod 11 = 2, digit 9.
    {"79020076", "4041234569", "HYVEDEMM414", "DE24302201904041234569", kVerdictValid, 15},
    // Rule 3600: v = 0 is refused with the head office BIC.
    {"23050000", "0000010000", "HSHNDEHHXXX", "", kVerdictExcluded, 12},
    // Rule 3600, method C5 (six digits, positions 5-9 from the left
    // 2,1,2,1,2): "12345" gives 2+2+6+4+1 = 15, digit 5. So 123455 passes and
    // gains "000"; 123456 fails and keeps its form.
    {"21050000", "0000123455", "HSHNDEHHXXX", "DE30210500000123455000", kVerdictValid, 1},
    {"21050000", "0000123456", "HSHNDEHHXXX", "DE15210500000000123456", kVerdictInvalid, 11},
    {"20050000", "0000123455", "HSHNDEHHXXX", "DE30210500000123455000", kVerdictValid, 15},
    // Rule 3700, method 09.
    {"20110700", "123", "BOTKDEDXXXX", "DE22300107000000000123", kVerdictValid, 15},
    // Rule 3800, method 28 on positions 1-7: 14+18+20+20+18+14+8 = 112,
    // 112 mod 11 = 2, digit 9 = position 8.
    {"26691213", "1234567900", "GENODEF1LER", "DE46285900751234567900", kVerdictValid, 15},
    // Rule 3900, method 61 on positions 1-7: 5+6+1+4+6+2+2 = 26, digit 4 =
    // position 8.
    {"25621327", "1234567400", "OLBODEH2XXX", "DE51280200501234567400", kVerdictValid, 15},
    // Rule 4100: every account becomes 11404 at 50060400.
    {"62220000", "123", "GENODEFFXXX", "DE96500604000000011404", kVerdictValid, 15},
    // Rule 4201: digits 7-10 of 0050462000 give 2000 (accepted), of
    // 0050461000 give 1000 (refused).
    {"10000000", "50462000", "MARKDEF1100", "DE08100000000050462000", kVerdictValid, 0},
    {"10000000", "50461000", "MARKDEF1100", "", kVerdictExcluded, 12},
    // Rule 4400: account 202 is replaced; the result code stays 0.
    {"68050101", "202", "FRSPDE66XXX", "DE51680501010002282022", kVerdictDonationValid, 0},
    // Rule 4600, method 41 (position 4 is not "9": as "00").
    {"25020600", "1234567897", "CCBADE31XXX", "DE67310108331234567897", kVerdictValid, 15},
    // Rule 4700: eight digits go into the IBAN times 100.
    {"10033300", "12345678", "SCFBDE33XXX", "DE73100333001234567800", kVerdictValid, 1},
    // Rule 4901: 9234567890 fails method 44 (positions 5-9: 18+32+56+30+50 =
    // 186, 186 mod 11 = 10, digit 1) and is taken as it is.
    {"30060010", "9234567890", "GENODEDDXXX", "DE45300600109234567890", kVerdictNotCheckable, 0},
    // Rule 5000, method 00.
    {"28252760", "1234567897", "BRLADE21LER", "DE25285500001234567897", kVerdictValid, 15},
    // Rule 5100: account 333.
    {"60050101", "333", "SOLADEST600", "DE96600501017832500881", kVerdictReplaced, 1, "7832500881"},
    // Rule 5300: adjusted accounts move to 60050101.
    {"55050000", "901", "SOLADEST600", "DE57600501017401507497", kVerdictAdjusted, 15,
     "7401507497"},
    {"60020030", "1000617900", "SOLADEST600", "DE21600501010002009906", kVerdictAdjusted, 15,
     "2009906"},
    // Rule 5700: 50810900 is replaced by its successor 66010200 (method 09).
    {"50810900", "123", "BBSPDE6KXXX", "DE52660102000000000123", kVerdictValid, 15},
};

TEST(RuleCatalogue, DirectoryRulesThroughSingleConversion) {
  for (const DirectoryCase& c : kDirectoryCases) {
    SCOPED_TRACE(std::string(c.bankCode) + " " + c.account);
    const SingleConversionOutcome outcome =
        ConvertSingle(editions::BuiltinDirectory(), c.bankCode, c.account, {});
    ASSERT_EQ(outcome.status, SingleConversionStatus::Converted);
    EXPECT_EQ(outcome.bic, c.bic);
    EXPECT_EQ(outcome.iban, c.iban);
    EXPECT_EQ(outcome.verdict, c.verdict);
    EXPECT_EQ(ResultNumber(outcome.resultCode), c.resultCode);
    EXPECT_EQ(outcome.accountText, c.accountAfter ? c.accountAfter : c.account);
  }
}

TEST(RuleCatalogue, DirectoryCasesCoverEveryRuleOfTheDirectory) {
  std::vector<int> covered;
  for (const DirectoryCase& c : kDirectoryCases) {
    covered.push_back(editions::BuiltinDirectory().Lookup(c.bankCode)->ibanRule());
  }
  for (const BlzInfoIBAN& record : editions::BuiltinDirectory().records()) {
    EXPECT_NE(std::find(covered.begin(), covered.end(), record.ibanRule()), covered.end())
        << record.ibanRule();
  }
}

TEST(RuleCatalogue, Rule0005HeadOfficeBicSparesTheHdBranch) {
  EXPECT_EQ(ConvertSingle(editions::BuiltinDirectory(), "10040000", "1234567890", {}).bic,
            "COBADEFFXXX");
  EXPECT_EQ(ConvertSingle(editions::BuiltinDirectory(), "20041111", "1234567890", {}).bic,
            "COBADEHDXXX");
}

// Evaluations of a directory record under a rule number chosen by the test.
class RuleStepTest : public ::testing::Test {
 protected:
  struct Run {
    int code;
    RuleTexts texts;
  };

  static Run Evaluate(int rule, const char* record, const char* account,
                      const char* entered = nullptr) {
    const BlzInfoIBAN* bank = editions::BuiltinDirectory().Lookup(record);
    EXPECT_NE(bank, nullptr) << record;
    RuleTexts texts;
    texts.bankCode = bank->bankCodeText();
    texts.account = account;
    const RuleInput input{rule, bank, *BankCode::Parse(entered ? entered : record), false};
    const int code = ResultNumber(ApplyIbanRule(editions::BuiltinDirectory(), input, texts));
    return {code, texts};
  }
};

struct StepCase {
  int rule;
  const char* record;
  const char* entered;  // nullptr: the record's bank code
  const char* account;
  const char* bankCode;     // in the IBAN; nullptr: no IBAN formed
  const char* ibanAccount;  // in the IBAN
  const char* bic;
  std::string_view verdict;
  int resultCode;
};

// 10000000 has method 09 (every account passes); 20050550 has method 00.
// clang-format off
const StepCase kStepCases[] = {
    // Rule 0002: last three IBAN digits "6.." or "86." are refused.
    {200, "10000000", nullptr, "1234567600", nullptr, "", "MARKDEF1100", kVerdictExcluded, 12},
    {200, "10000000", nullptr, "1234567860", nullptr, "", "MARKDEF1100", kVerdictExcluded, 12},
    {200, "10000000", nullptr, "1234567850", "10000000", "1234567850", "MARKDEF1100",
     kVerdictValid, 0},
    {200, "10000000", nullptr, "1234567086", "10000000", "1234567086", "MARKDEF1100",
     kVerdictValid, 0},
    // Rule 0003.
    {300, "10000000", nullptr, "6161604670", nullptr, "", "MARKDEF1100", kVerdictExcluded, 12},
    {300, "10000000", nullptr, "6161604671", "10000000", "6161604671", "MARKDEF1100",
     kVerdictValid, 0},
    // Rule 0005's exclusion needs the entered bank code in its list.
    {500, "10000000", "10080900", "998000000", nullptr, "", "MARKDEF1100", kVerdictExcluded, 12},
    {500, "10000000", nullptr, "998000000", "10000000", "998000000", "MARKDEF1100",
     kVerdictValid, 0},
    // Rule 0009, method 00 on 1116123454: 1+4+6+2+2+6+2+1+2 = 26, digit 4.
    {900, "68351557", "68351976", "1116123454", "68351557", "3047123454", "SOLADES1SFH",
     kVerdictValid, 15},
    {900, "68351557", nullptr, "1116123454", "68351557", "1116123454", "SOLADES1SFH",
     kVerdictValid, 0},
    // Rule 0010 version 00 as version 01; 800000 of 50050201 fails method 96
    // ("19": s = 48, digit 7; "00": s = 7, digit 3); the verdict is the valid one.
    {1000, "50050222", nullptr, "1234567898", "50050201", "1234567898", "HELADEF1822",
     kVerdictValid, 15},
    {1000, "50050201", nullptr, "800000", "50050201", "180802", "HELADEF1822", kVerdictValid, 1},
    // Rule 0015 version 00 uses the table of version 01.
    {1500, "37060193", nullptr, "556", "37060193", "101010", "GENODED1PAX",
     kVerdictPseudoReplaced, 1},
    // Rule 0020 versions 00 and 01.
    {2000, "50070010", nullptr, "9999", "50070010", "92777202", "DEUTDEFFXXX",
     kVerdictDonationValid, 1},
    {2001, "50070010", nullptr, "9999", "50070010", "92777202", "DEUTDEFFXXX",
     kVerdictDonationValid, 1},
    // Rule 0021: eight digits are invalid; seven pass. Method 10 on 0001234560:
    // 12+15+16+15+12+7 = 77, 77 mod 11 = 0, digit 0.
    {2100, "36020030", nullptr, "12345678", "36020030", "12345678", "NBAGDE3EXXX",
     kVerdictInvalid, 11},
    {2100, "36020030", nullptr, "1234560", "36020030", "1234560", "NBAGDE3EXXX", kVerdictValid,
     0},
    // Rule 0030: 1718190 fails method 00 (s = 24, digit 6) but is listed: code 0
    // and the valid verdict; 1234567890 is not listed.
    {3000, "20050550", nullptr, "1718190", "20050550", "1718190", "HASPDEHHXXX", kVerdictValid, 0},
    {3000, "20050550", nullptr, "1234567890", "20050550", "1234567890", "HASPDEHHXXX",
     kVerdictInvalid, 11},
    // Rule 0031 (method 99 checks with "06": 4071234563 and 4011234564 (s = 95,
    // 95 mod 11 = 7, digit 4) pass, 1234567890 fails (s = 174, digit 2)):
    // prefix 407 moves to 37020090, 401 is not listed, nine digits and
    // failing accounts are refused.
    {3100, "10020890", nullptr, "4071234563", "37020090", "4071234563", "HYVEDEMM429",
     kVerdictValid, 15},
    {3101, "10020890", nullptr, "4011234564", "10020890", "4011234564", "HYVEDEMM488",
     kVerdictValid, 0},
    {3100, "10020890", nullptr, "851234567", nullptr, "", "HYVEDEMM488", kVerdictExcluded, 12},
    {3100, "10020890", nullptr, "1234567890", nullptr, "", "HYVEDEMM488", kVerdictExcluded, 12},
    // Rules 0033 and 0035: both versions of 0033 keep prefix 85 (method 95
    // checks 0851234560 with "06": s = 111, 111 mod 11 = 1, digit 0), 0035
    // refuses it.
    {3300, "70020270", nullptr, "0851234560", "70020270", "851234560", "HYVEDEMMXXX",
     kVerdictValid, 0},
    {3301, "70020270", nullptr, "0851234560", "70020270", "851234560", "HYVEDEMMXXX",
     kVerdictValid, 0},
    {3501, "70020270", nullptr, "0851234560", nullptr, "", "HYVEDEMMXXX", kVerdictExcluded, 12},
    {3300, "70020270", nullptr, "94", "70020270", "2711931", "HYVEDEMMXXX",
     kVerdictDonationValid, 1},
    {3500, "79020076", nullptr, "9696", "79020076", "1490196966", "HYVEDEMM455",
     kVerdictDonationValid, 1},
    // Rule 0041 only moves accounts of 62220000.
    {4100, "10000000", nullptr, "123", "10000000", "123", "MARKDEF1100", kVerdictValid, 0},
    // Rule 0042 (version 00 as 01): the accepted shapes.
    {4200, "10000000", nullptr, "50469000", "10000000", "50469000", "MARKDEF1100",
     kVerdictValid, 0},
    {4200, "10000000", nullptr, "50464000", nullptr, "", "MARKDEF1100", kVerdictExcluded, 12},
    {4200, "10000000", nullptr, "12305678", "10000000", "12305678", "MARKDEF1100",
     kVerdictValid, 0},
    {4200, "10000000", nullptr, "12300678", nullptr, "", "MARKDEF1100", kVerdictExcluded, 12},
    {4200, "10000000", nullptr, "12345678", nullptr, "", "MARKDEF1100", kVerdictExcluded, 12},
    {4201, "10000000", nullptr, "1234400001", "10000000", "1234400001", "MARKDEF1100",
     kVerdictValid, 0},
    {4201, "10000000", nullptr, "1234500000", nullptr, "", "MARKDEF1100", kVerdictExcluded, 12},
    {4201, "10000000", nullptr, "123456789", nullptr, "", "MARKDEF1100", kVerdictExcluded, 12},
    // Rule 0043: method 6 for 60651070 (1234567892: s = 174, digit 2).
    {4300, "66650085", "60651070", "1234567892", "66650085", "1234567892", "PZHSDE66XXX",
     kVerdictValid, 15},
    {4301, "66650085", "60651070", "1234567890", "66650085", "1234567890", "PZHSDE66XXX",
     kVerdictInvalid, 11},
    // Rule 0047 leaves ten-digit accounts alone.
    {4700, "10033300", nullptr, "1234567890", "10033300", "1234567890", "SCFBDE33XXX",
     kVerdictValid, 0},
    // Rule 0049 version 00 has no step: the failing check stands.
    {4900, "30060010", nullptr, "9234567890", "30060010", "9234567890", "GENODEDDXXX",
     kVerdictInvalid, 11},
    // Rule 0052: a listed pair moves; any other account is not allowed, and a
    // failing one says so.
    {5200, "10000000", "67220020", "5308810004", "60050101", "2662604", "SOLADEST600",
     kVerdictAdjusted, 15},
    {5200, "10000000", nullptr, "5308810004", "10000000", "5308810004", "MARKDEF1100",
     kVerdictNotAllowed, 50},
    {5200, "20050550", nullptr, "1234567890", "20050550", "1234567890", "HASPDEHHXXX",
     kVerdictInvalid, 50},
    // Rule 0054 at a method-00 bank. Failing accounts (624044: s = 21, digit 9;
    // 20111908: s = 18, digit 2; 21011908: s = 17, digit 3; 46212345: s = 34,
    // digit 6; 46211908: s = 30, digit 0) are accepted by their shape.
    {5400, "20050550", nullptr, "624044", "20050550", "624044", "HASPDEHHXXX",
     kVerdictAccepted, 0},
    {5400, "20050550", nullptr, "20111908", "20050550", "20111908", "HASPDEHHXXX",
     kVerdictAccepted, 0},
    {5401, "20050550", nullptr, "21011908", "20050550", "21011908", "HASPDEHHXXX",
     kVerdictInvalid, 11},
    {5401, "20050550", nullptr, "46212345", "20050550", "46212345", "HASPDEHHXXX",
     kVerdictAccepted, 0},
    // H = 462 counts only for accounts not ending in "11908".
    {5400, "20050550", nullptr, "46211908", "20050550", "46211908", "HASPDEHHXXX",
     kVerdictInvalid, 11},
    {5400, "20050550", nullptr, "1761070000", "20050550", "176107000", "HASPDEHHXXX",
     kVerdictReplaced, 1},
    {5400, "20050550", nullptr, "1234567897", "20050550", "1234567897", "HASPDEHHXXX",
     kVerdictValid, 0},
    // Rule 0056: accounts below ten digits get no IBAN; ten digits are standard.
    {5600, "10000000", nullptr, "123456789", nullptr, "", "MARKDEF1100", kVerdictNotAllowed, 50},
    {5601, "10000000", nullptr, "36", nullptr, "", "MARKDEF1100", kVerdictNotAllowed, 50},
    {5602, "10000000", nullptr, "123456789", nullptr, "", "MARKDEF1100", kVerdictNotAllowed, 50},
    {5603, "10000000", nullptr, "1234567890", "10000000", "1234567890", "MARKDEF1100",
     kVerdictValid, 0},
};
// clang-format on

TEST_F(RuleStepTest, RulesOutsideTheDirectoryAndFurtherVersions) {
  for (const StepCase& c : kStepCases) {
    SCOPED_TRACE(std::to_string(c.rule) + " " + c.record + " " + c.account);
    const Run run = Evaluate(c.rule, c.record, c.account, c.entered);
    EXPECT_EQ(run.code, c.resultCode);
    EXPECT_EQ(run.texts.verdict, c.verdict);
    EXPECT_EQ(run.texts.bic, c.bic);
    EXPECT_EQ(run.texts.iban, c.bankCode ? FormIban(c.bankCode, c.ibanAccount) : "");
  }
}

TEST_F(RuleStepTest, Rule0056TableHitWritesTheListedIban) {
  const Run hit = Evaluate(5600, "10000000", "36");
  EXPECT_EQ(hit.code, 1);
  EXPECT_EQ(hit.texts.iban, "DE29380101111010240003");
  EXPECT_EQ(hit.texts.verdict, kVerdictReplaced);
  EXPECT_EQ(hit.texts.bic, "MARKDEF1100");
  EXPECT_EQ(hit.texts.bankCode, "10000000");
  // Version 01 does not consult the table.
  EXPECT_EQ(Evaluate(5601, "10000000", "36").texts.iban, "");
}

// Rules that only move the account to another bank code and BIC, on
// 10000000 (method 09; method 60 under rule 800: positions 3-9 of
// 1234567891 give 9+8+5+6+1+4+6 = 39, digit 1).
struct SubstitutionCase {
  int rule;
  const char* entered;
  const char* bankCode;
  const char* bic;
  int resultCode;
};

// clang-format off
const SubstitutionCase kSubstitutionCases[] = {
    {800, "10000000", "50020200", "BHFBDEFF500", 15},
    {1200, "10000000", "50050000", "HELADEFFXXX", 15},
    {1300, "10000000", "30050000", "WELADEDDXXX", 15},
    {1400, "10000000", "30060601", "DAAEDEDDXXX", 15},
    {1900, "10000000", "50120383", "DELBDE33XXX", 15},
    {2500, "10000000", "60050101", "SOLADEST600", 15},
    {2800, "10000000", "25050180", "SPKHDE2HXXX", 15},
    {3700, "10000000", "30010700", "BOTKDEDXXXX", 15},
    {3800, "26691213", "28590075", "GENODEF1LER", 15},
    {3800, "28591579", "28590075", "GENODEF1LER", 15},
    {3800, "25090300", "28590075", "GENODEF1LER", 15},
    {3800, "10000000", "10000000", "MARKDEF1100", 0},
    {3900, "28021002", "28020050", "OLBODEH2XXX", 15},
    {3900, "10000000", "10000000", "MARKDEF1100", 0},
    {4000, "10000000", "68052328", "SOLADES1STF", 15},
    {4001, "10000000", "68052328", "SOLADES1STF", 15},
    {4300, "10000000", "10000000", "MARKDEF1100", 0},
    {4500, "10000000", "10000000", "ESSEDE5FXXX", 0},
    {4501, "10000000", "10000000", "ESSEDE5FXXX", 0},
    {4600, "10000000", "31010833", "CCBADE31XXX", 15},
    {4800, "10120800", "36010200", "VONEDE33XXX", 15},
    {4800, "27010200", "36010200", "VONEDE33XXX", 15},
    {4800, "60020300", "36010200", "VONEDE33XXX", 15},
    {4800, "10000000", "10000000", "MARKDEF1100", 0},
    {5000, "10000000", "10000000", "MARKDEF1100", 0},
    {5500, "10000000", "25410200", "BHWBDE2HXXX", 15},
    {5700, "10000000", "10000000", "MARKDEF1100", 0},
};
// clang-format on

TEST_F(RuleStepTest, BankCodeSubstitutions) {
  for (const SubstitutionCase& c : kSubstitutionCases) {
    SCOPED_TRACE(std::to_string(c.rule) + " " + c.entered);
    const Run run = Evaluate(c.rule, "10000000", "1234567891", c.entered);
    EXPECT_EQ(run.code, c.resultCode);
    EXPECT_EQ(run.texts.bic, c.bic);
    EXPECT_EQ(run.texts.bankCode, c.bankCode);
    EXPECT_EQ(run.texts.iban, FormIban(c.bankCode, "1234567891"));
    EXPECT_EQ(run.texts.verdict, kVerdictValid);
  }
}

TEST_F(RuleStepTest, SubstitutedSuccessorGivesThirteenUnderAMovingRule) {
  // The caller put 25050180 in place of 25050299; rule 2800 names the same
  // bank code, which differs from the entered one.
  const BlzInfoIBAN* successor = editions::BuiltinDirectory().Lookup("25050180");
  RuleTexts texts;
  texts.bankCode = "25050180";
  texts.account = "1234567897";
  const RuleInput input{2800, successor, *BankCode::Parse("25050299"), true};
  EXPECT_EQ(ApplyIbanRule(editions::BuiltinDirectory(), input, texts), ResultCode::kSuccessorUsed);
  EXPECT_EQ(texts.iban, "DE59250501801234567897");
}

TEST_F(RuleStepTest, Rule0036RefusalStillMovesBankCodeAndBic) {
  const Run run = Evaluate(3600, "23050000", "0000950000");  // v = 9
  EXPECT_EQ(run.code, 12);
  EXPECT_EQ(run.texts.bankCode, "21050000");
  EXPECT_EQ(run.texts.bic, "HSHNDEHHXXX");
  EXPECT_EQ(run.texts.iban, "");
  // v is the value of the first five digits: 9-299, 600-999, 9000-9999,
  // 20000-29999, 71000-84999 and 86000-89999 are refused at both ends.
  for (const char* account :
       {"0000900000", "0029900000", "0060000000", "0099900000", "0900000000", "0999900000",
        "2000000000", "2999900000", "7100000000", "8499900000", "8600000000", "8999900000"}) {
    EXPECT_EQ(Evaluate(3600, "21050000", account).code, 12) << account;
  }
  // Their neighbours are not refused (the check decides).
  for (const char* account :
       {"0000800000", "0030000000", "0059900000", "0100000000", "0899900000", "1000000000",
        "1999900000", "3000000000", "7099900000", "8500000000", "8599900000", "9000000000"}) {
    EXPECT_NE(Evaluate(3600, "21050000", account).code, 12) << account;
  }
}

}  // namespace
}  // namespace talvenor
