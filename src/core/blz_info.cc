#include "core/blz_info.h"

#include <cstdio>

namespace talvenor {

BlzInfo::BlzInfo(std::uint32_t bankCode, std::string checkMethod, std::string name,
                 std::vector<std::string> bics, std::string successorMark)
    : bankCode_(bankCode),
      checkMethod_(std::move(checkMethod)),
      name_(std::move(name)),
      bics_(std::move(bics)),
      successorMark_(std::move(successorMark)) {
  if (bics_.empty()) bics_.emplace_back();
}

BlzInfo::BlzInfo(std::uint32_t bankCode, std::string checkMethod, std::string name, std::string bic,
                 std::string successorMark)
    : BlzInfo(bankCode, std::move(checkMethod), std::move(name),
              std::vector<std::string>{std::move(bic)}, std::move(successorMark)) {}

BlzInfo::~BlzInfo() = default;

std::string BlzInfo::bankCodeText() const {
  char text[16];
  std::snprintf(text, sizeof text, "%08u", static_cast<unsigned>(bankCode_));
  return text;
}

int BlzInfo::numberOfBics() const {
  if (bics_.size() == 1 && bics_.front().empty()) return 0;
  return static_cast<int>(bics_.size());
}

BlzInfoIBAN::BlzInfoIBAN(std::uint32_t bankCode, std::string checkMethod, std::string name,
                         std::vector<std::string> bics, std::string successorMark, int ibanRule)
    : BlzInfo(bankCode, std::move(checkMethod), std::move(name), std::move(bics),
              std::move(successorMark)),
      ibanRule_(ibanRule) {}

BlzInfoIBAN::BlzInfoIBAN(std::uint32_t bankCode, std::string checkMethod, std::string name,
                         std::string bic, std::string successorMark, int ibanRule)
    : BlzInfo(bankCode, std::move(checkMethod), std::move(name), std::move(bic),
              std::move(successorMark)),
      ibanRule_(ibanRule) {}

BlzInfoIBAN::~BlzInfoIBAN() = default;

}  // namespace talvenor
