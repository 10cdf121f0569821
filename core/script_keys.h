// The setup script's names: its sections, its keys and the formats of its
// numbered names, and the largest counts the programs read. One definition
// for SETUP.EXE, which reads the script, and setupkit, which checks it.
#pragma once

// Sections, written as the script names them.
#define SectionTitle "Title"
#define SectionSubDir "SubDir"
#define SectionRegister "Register"
#define SectionWinIni "WinIni"
#define SectionWinGroup "WinGroup"

// Keys with one value.
#define KeyNameInstalDir "InstalDir"
#define KeyNameDlgTitle "DlgTitle"
#define KeyNameGroupTitle "GroupTitle"
#define KeyNameSizeInst "SizeInst"
#define KeyNameNumberDisk "NumberDisk"
#define KeyNameNumberDirs "NumberDirs"
#define KeyNameNumberFiles "NumberFiles"
#define KeyNameNumberReg "NumberReg"
#define KeyNameNumberIni "NumberIni"
#define KeyNameNumberItem "NumberItem"

// Numbered names: the prefix and the number in decimal, from 1.
#define DiskNamePrefix "Disk"
#define CheckNamePrefix "Check"
#define DirKeyPrefix "Dir"
#define FileKeyPrefix "file"
#define RegKeyPrefix "regKey"
#define RegValPrefix "regVal"
#define IniKeyPrefix "IniKey"
#define ItemKeyPrefix "item"

#define DiskNameFormat DiskNamePrefix "%d"
#define CheckNameFormat CheckNamePrefix "%d"
#define DirKeyFormat DirKeyPrefix "%d"
#define FileKeyFormat FileKeyPrefix "%d"
#define RegKeyFormat RegKeyPrefix "%d"
#define RegValFormat RegValPrefix "%d"
#define IniKeyFormat IniKeyPrefix "%d"
#define ItemKeyFormat ItemKeyPrefix "%d"

// The largest counts a script can give; a larger count is read as the
// maximum, so that every loop over numbered keys ends and no counter or sum
// overflows. Negative counts stay as they are (their loops do not run).
enum {
    MaxNumberDisk = 255,
    MaxNumberDirs = 1000,
    MaxNumberFiles = 10000,  // per disk
    MaxNumberReg = 1000,
    MaxNumberIni = 1000,
    MaxNumberItem = 1000     // more than the 10000-byte command text can hold
};
