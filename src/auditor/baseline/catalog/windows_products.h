// Which Windows and service-pack levels an Affected Product of the
// bulletin data names, as the table tells them apart, or why its rows are
// left out.
#ifndef HOTFIXES_AUDITOR_BASELINE_CATALOG_WINDOWS_PRODUCTS_H_
#define HOTFIXES_AUDITOR_BASELINE_CATALOG_WINDOWS_PRODUCTS_H_

#include <string>
#include <string_view>

#include "auditor/vocabulary/windows_release.h"

enum class ProductKind {
  kWindows,         // a Windows and levels the catalog writes rules for
  kItanium,         // of a processor the report program does not run on
  kEditionNotTold,  // Server Core, Media Center, Tablet PC
  kLaterWindows,    // Vista and later: no HotFix keys to judge by
  kOtherProduct,    // anything else, or no product at all
};

struct Product {
  ProductKind kind = ProductKind::kOtherProduct;
  // The Windows and the levels whose reports stand for it: a range,
  // because XP x64 without a service pack may report itself either way.
  // Given for kWindows and for an edition of a Windows it is not told
  // apart from (XP Media Center Edition 2005 SP3 is at XP's level 3).
  Windows windows = Windows::kUnknown;
  int lowest = 0;
  int highest = 0;
  // The name gives a service pack ("... Service Pack 3", "SP2"); without
  // one it stands for the release without a service pack.
  bool servicePackNamed = false;
};

// "Microsoft Windows XP Service Pack 3" is XP at level 3; "Microsoft
// Windows Server 2003 x64 Edition" is Server 2003 at level 1.
Product ProductOf(std::string_view affectedProduct);

// The product's name as the catalog compares it: ASCII letters in lower
// case, blanks single, so that "Windows 8.1 for 32-bit Systems" and
// "... systems" are one product.
std::string ProductKey(std::string_view affectedProduct);

#endif  // HOTFIXES_AUDITOR_BASELINE_CATALOG_WINDOWS_PRODUCTS_H_
