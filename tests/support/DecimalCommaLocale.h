// Switches the process to a locale whose decimal point is a comma, as Qt
// does from LANG at start, and back again.
#pragma once
#include <clocale>
#include <string>

class DecimalCommaLocale {
 public:
  DecimalCommaLocale() {
    saved_ = std::setlocale(LC_ALL, nullptr);
    for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
      if (std::setlocale(LC_ALL, name) != nullptr && std::string(std::localeconv()->decimal_point) == ",") {
        active_ = true;
        return;
      }
    }
    std::setlocale(LC_ALL, saved_.c_str());
  }
  ~DecimalCommaLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
  DecimalCommaLocale(const DecimalCommaLocale &) = delete;
  DecimalCommaLocale &operator=(const DecimalCommaLocale &) = delete;

  // False when no such locale is installed (scripts/install-deps.sh makes one).
  bool Active() const { return active_; }

 private:
  std::string saved_;
  bool active_ = false;
};
