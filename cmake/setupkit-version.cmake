# The kit's one version: setupkit --version, its man page, its Debian
# package, every pack list and the download stub's version record.
# (SETUP.EXE and UNINST.EXE keep their own version records.)
set(SETUPKIT_VERSION 1.0.0)
