// The lines of install.log: one definition for the setup, which writes them,
// and the uninstaller, which reads them back. Each format is its prefix, the
// field and a line feed; the text-mode stream turns that into CR LF.
#pragma once

// The log's name in the install directory (and, while it is written, in the
// temporary directory).
#define InstallLogName "install.log"

#define LogHeaderPrefix "*** Installation Started "
#define LogHeaderSuffix " ***"
// strftime format of the first line.
#define LogHeaderFormat LogHeaderPrefix "%d/%m/%y %H:%M" LogHeaderSuffix "\n"

#define LogTitlePrefix "Title: "
#define LogSourcePrefix "Source: "
#define LogMadeDirPrefix "Made Dir: "
#define LogFileCopyPrefix "File Copy: "
#define LogRegKeyPrefix "RegDB Key: "
#define LogRegValPrefix "RegDB Val: "
#define LogRegNamePrefix "RegDB Name: "
#define LogRegRootPrefix "RegDB Root: "
#define LogIniFilePrefix "INI File: "
#define LogIniSectPrefix "INI Sect: "
#define LogIniItemPrefix "INI Item: "
#define LogIniValPrefix "INI Val: "
#define LogIconGroupPrefix "Icon Group: "
#define LogIconNamePrefix "Icon Name: "
#define LogIconCmdPrefix "Icon Cmd: "
// A shared file whose reference count could not be raised (no rights to
// HKEY_LOCAL_MACHINE): the uninstaller keeps it. Not read back.
#define LogSharedNotCountedPrefix "Shared Not Counted: "

#define LogTitleFormat LogTitlePrefix "%s\n"
#define LogSourceFormat LogSourcePrefix "%s\n"
#define LogMadeDirFormat LogMadeDirPrefix "%s\n"
#define LogFileCopyFormat LogFileCopyPrefix "%s\n"
#define LogRegKeyFormat LogRegKeyPrefix "%s\n"
#define LogRegValFormat LogRegValPrefix "%s\n"
#define LogRegNameFormat LogRegNamePrefix "%s\n"
#define LogRegRootFormat LogRegRootPrefix "%d\n"
// The Windows directory; the file is always its win.ini.
#define LogIniFileFormat LogIniFilePrefix "%s\\win.ini\n"
#define LogIniSectFormat LogIniSectPrefix "%s\n"
#define LogIniItemFormat LogIniItemPrefix "%s\n"
#define LogIniValFormat LogIniValPrefix "%s\n"
#define LogIconGroupFormat LogIconGroupPrefix "%s\n"
#define LogIconNameFormat LogIconNamePrefix "%s\n"
// The short install directory and the item's command file.
#define LogIconCmdFormat LogIconCmdPrefix "%s\\%s\n"
#define LogSharedNotCountedFormat LogSharedNotCountedPrefix "%s\n"
