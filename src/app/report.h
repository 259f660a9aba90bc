// The report, top to bottom: the banner, the Windows version, the hotfixes.
#ifndef HOTFIXES_APP_REPORT_H_
#define HOTFIXES_APP_REPORT_H_

void RunReport();

#endif  // HOTFIXES_APP_REPORT_H_
