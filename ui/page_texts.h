// The texts of SETUP.EXE's pages, formatted with the product title.
#pragma once

#define WelcomeTextFormat "Welcome to %s Setup.\n\nSetup will install the %s files to your system."
#define DirectoryTextFormat "The setup program will install the %s files to the following directory."
#define GroupTextFormat "Setup will create a group for %s"
