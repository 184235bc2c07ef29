// Converts one account with the Talvenor library and checks the IBAN it
// gives: talvenor_consumer BLZ ACCOUNT
#include <talvenor/talvenor.h>

#include <iostream>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: talvenor_consumer BLZ ACCOUNT\n";
    return 2;
  }
  const talvenor::Library library = talvenor::Library::OpenInForce();
  const talvenor::Conversion c = library.Convert(argv[1], argv[2]);
  if (!c.converted()) {
    std::cerr << c.message << "\n";
    return 2;
  }
  std::cout << "IBAN " << c.iban << "\nBIC  " << c.bic << "\n"
            << c.bankName << ": " << c.verdict << " (" << c.resultCode << ")\n"
            << "Ausgabe vom " << c.edition << (c.expired ? " (abgelaufen)" : "") << "\n";
  const talvenor::IbanCheckResult check = library.CheckIban(c.iban);
  std::cout << "Prüfung " << check.code << ": " << check.verdict << "\n";
  return check.plausible() ? 0 : 1;
}
