#include "script.h"

#include <stdio.h>
#include <string.h>

#include "core/text.h"

const ScriptStringKey KeyInstalDir = {SectionTitle, KeyNameInstalDir, InstalDirLimit};
const ScriptStringKey KeyDlgTitle = {SectionTitle, KeyNameDlgTitle, DlgTitleLimit};
const ScriptStringKey KeyGroupTitle = {SectionWinGroup, KeyNameGroupTitle, GroupTitleLimit};
const ScriptStringKey KeyDir = {SectionSubDir, DirKeyFormat, DirNameLimit};
const ScriptStringKey KeyFile = {DiskNameFormat, FileKeyFormat, FileEntryLimit};
const ScriptStringKey KeyRegKey = {SectionRegister, RegKeyFormat, RegKeyLimit};
const ScriptStringKey KeyRegVal = {SectionRegister, RegValFormat, RegValLimit};
const ScriptStringKey KeyIniKey = {SectionWinIni, IniKeyFormat, IniKeyLimit};
const ScriptStringKey KeyItem = {SectionWinGroup, ItemKeyFormat, ItemLimit};

const ScriptIntKey KeySizeInst = {SectionTitle, KeyNameSizeInst, 0, 0};
const ScriptIntKey KeyNumberDisk = {SectionTitle, KeyNameNumberDisk, 1, MaxNumberDisk};
const ScriptIntKey KeyNumberDirs = {SectionSubDir, KeyNameNumberDirs, 0, MaxNumberDirs};
const ScriptIntKey KeyNumberFiles = {DiskNameFormat, KeyNameNumberFiles, 0, MaxNumberFiles};
const ScriptIntKey KeyNumberReg = {SectionRegister, KeyNameNumberReg, 0, MaxNumberReg};
const ScriptIntKey KeyNumberIni = {SectionWinIni, KeyNameNumberIni, 0, MaxNumberIni};
const ScriptIntKey KeyNumberItem = {SectionWinGroup, KeyNameNumberItem, 0, MaxNumberItem};

int ReadScriptInt(const char *section, const char *key, int defaultValue)
{
    return (int)GetPrivateProfileIntA(section, key, defaultValue, Setup.ScriptPath);
}

void ReadScriptString(const char *section, const char *key, char *dest,
                      DWORD limit, size_t capacity)
{
    if (capacity == 0) return;
    if (limit > capacity) limit = (DWORD)capacity;
    dest[0] = 0;
    GetPrivateProfileStringA(section, key, "", dest, limit, Setup.ScriptPath);
    dest[limit - 1] = 0;
}

static int Bounded(int value, const ScriptIntKey &key)
{
    return key.Maximum > 0 && value > key.Maximum ? key.Maximum : value;
}

int ReadScriptKey(const ScriptIntKey &key)
{
    return Bounded(ReadScriptInt(key.Section, key.Key, key.Default), key);
}

void ReadScriptKey(const ScriptStringKey &key, char *dest)
{
    ReadScriptString(key.Section, key.Key, dest, key.Limit, key.Limit);
}

void FormatNumberedName(char *dest, size_t capacity, const char *format, int n)
{
    FormatText(dest, capacity, format, n);
}

void ReadNumberedKey(const ScriptStringKey &key, int n, char *dest)
{
    char name[32];
    FormatNumberedName(name, sizeof name, key.Key, n);
    ReadScriptString(key.Section, name, dest, key.Limit, key.Limit);
}

int ReadDiskFileCount(int disk)
{
    char section[32];
    FormatNumberedName(section, sizeof section, DiskNameFormat, disk);
    return Bounded(ReadScriptInt(section, KeyNumberFiles.Key, KeyNumberFiles.Default),
                   KeyNumberFiles);
}

void ReadDiskFileEntry(int disk, int n, char *dest)
{
    char section[32], key[32];
    FormatNumberedName(section, sizeof section, DiskNameFormat, disk);
    FormatNumberedName(key, sizeof key, FileKeyFormat, n);
    ReadScriptString(section, key, dest, FileEntryLimit, FileEntryLimit);
}
