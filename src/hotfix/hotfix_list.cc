#include "hotfix/hotfix_list.h"

void ListHotFixes() {}
