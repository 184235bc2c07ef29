// One bank of the bank directory.
//
// A record holds what the calculation needs of a bank code: the check-digit
// method, the short name, the BICs in directory order, the successor mark
// of a bank code that is to be deleted, and the IBAN rule number. The BIC
// list is never empty: a bank without BIC holds one empty text, so the
// "first BIC" always exists (and is empty for such a bank).
#ifndef TALVENOR_CORE_BLZ_INFO_H_
#define TALVENOR_CORE_BLZ_INFO_H_

#include <cstdint>
#include <string>
#include <vector>

namespace talvenor {

class BlzInfo {
 public:
  // BIC-list form; an empty list, or a list of one empty text, means the bank
  // has no BIC. `successorMark` is empty when the bank code is not to be
  // deleted, "00000000" when no successor is named, else the successor's code.
  BlzInfo(std::uint32_t bankCode, std::string checkMethod, std::string name,
          std::vector<std::string> bics, std::string successorMark);
  // Single-BIC form.
  BlzInfo(std::uint32_t bankCode, std::string checkMethod, std::string name, std::string bic,
          std::string successorMark);
  virtual ~BlzInfo();
  BlzInfo(const BlzInfo&) = default;
  BlzInfo(BlzInfo&&) noexcept = default;
  BlzInfo& operator=(const BlzInfo&) = default;
  BlzInfo& operator=(BlzInfo&&) noexcept = default;

  std::uint32_t bankCode() const { return bankCode_; }
  // The bank code as its eight-digit text.
  std::string bankCodeText() const;
  const std::string& checkMethod() const { return checkMethod_; }
  const std::string& name() const { return name_; }
  // How many BICs the directory lists; 0 for a bank without BIC.
  int numberOfBics() const;
  const std::vector<std::string>& bics() const { return bics_; }
  // The bank's BIC: the first of the list (empty for a bank without BIC).
  const std::string& firstBic() const { return bics_.front(); }
  const std::string& successorMark() const { return successorMark_; }

 private:
  std::uint32_t bankCode_;
  std::string checkMethod_;
  std::string name_;
  std::vector<std::string> bics_;
  std::string successorMark_;
};

class BlzInfoIBAN : public BlzInfo {
 public:
  BlzInfoIBAN(std::uint32_t bankCode, std::string checkMethod, std::string name,
              std::vector<std::string> bics, std::string successorMark, int ibanRule);
  BlzInfoIBAN(std::uint32_t bankCode, std::string checkMethod, std::string name, std::string bic,
              std::string successorMark, int ibanRule);
  ~BlzInfoIBAN() override;
  BlzInfoIBAN(const BlzInfoIBAN&) = default;
  BlzInfoIBAN(BlzInfoIBAN&&) noexcept = default;
  BlzInfoIBAN& operator=(const BlzInfoIBAN&) = default;
  BlzInfoIBAN& operator=(BlzInfoIBAN&&) noexcept = default;

  // Rule * 100 + version: 0 the standard rule, 503 rule 0005 version 03,
  // 100 rule 0001 (the bank has not released the IBAN calculation).
  int ibanRule() const { return ibanRule_; }
  // Gives the bank another rule number; for building a directory whose
  // file carries none.
  void SetIbanRule(int ibanRule) { ibanRule_ = ibanRule; }

 private:
  int ibanRule_;
};

}  // namespace talvenor

#endif  // TALVENOR_CORE_BLZ_INFO_H_
