// The hotfix inventory: one report line per hotfix key the registry records,
// then an empty line and the count.
#ifndef HOTFIXES_HOTFIX_HOTFIX_LIST_H_
#define HOTFIXES_HOTFIX_HOTFIX_LIST_H_

void ListHotFixes();

#endif  // HOTFIXES_HOTFIX_HOTFIX_LIST_H_
