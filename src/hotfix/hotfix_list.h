// The hotfix inventory: one report line per hotfix key the registry records
// under HKEY_LOCAL_MACHINE, with its "Comments" text, then an empty line and
// the number of hotfix keys found.
#ifndef HOTFIXES_HOTFIX_HOTFIX_LIST_H_
#define HOTFIXES_HOTFIX_HOTFIX_LIST_H_

// Raises what the registry reader or the report output raises; the lines
// written before stay written.
void ListHotFixes();

#endif  // HOTFIXES_HOTFIX_HOTFIX_LIST_H_
