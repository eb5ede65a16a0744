// A locale the machine need not have installed, made with localedef into a
// directory of the test's own: LOCPATH names the directory, LC_ALL the
// locale. Lets a test run in a character set no distribution ships a locale
// for, such as TSCII.
#pragma once

#include <string>

#include "run_binary.h"

namespace wirenote::testing {

class MadeLocale {
 public:
  // `source` from /usr/share/i18n/locales, `charmap` from .../charmaps;
  // the locale is called "<source>.<charmap>".
  MadeLocale(const std::string& source, const std::string& charmap);
  // Whether localedef made it; when not, the test cannot run here.
  bool made() const { return made_; }
  std::string locpath() const { return "LOCPATH=" + directory_.path(); }
  std::string lc_all() const { return "LC_ALL=" + name_; }
  const std::string& directory() const { return directory_.path(); }
  const std::string& name() const { return name_; }

 private:
  TempDir directory_;
  std::string name_;
  bool made_ = false;
};

}  // namespace wirenote::testing
