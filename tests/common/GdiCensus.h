#pragma once
// A census of the GDI objects that a test program makes and gives back, raw calls included.
//
// The libraries are linked into the test program, so each of their calls to the system's
// functions that make or free GDI objects (and icons, window DCs and image lists, which hold
// some) goes through the program's import table. Install puts a counting function in each of
// those entries; the function calls the system's and writes down what was made or freed. Under
// Wine GetGuiResources always answers 0, and gdi::LiveObjects counts only what the project's
// own wrappers hold: this census also sees a handle that some routine made and never freed.
//
// An object counts from the call that made it until the call that freed it succeeds, until it is
// given to a window (its region), or until the system has freed it otherwise (a class's brush). A GDI object deleted
// while it is still selected into a DC stays counted: Wine deletes it later, but Windows
// refuses the delete and the object leaks there.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace gdi_census {

// Patches the program's import table; call once, first thing in main().
void Install();

// Whether Install found the functions to count (a program that imports none counts nothing).
bool Installed();

// Everything made through the counted functions and not given back yet.
long Live();

// Remembers where the census stands, to see later whether anything was left behind since.
class TMark {
 public:
  TMark();
  // Live() now less Live() at the mark.
  long Added() const;
  // One line per object made since the mark and still counted, with the function that made it.
  std::string Describe() const;
  // A passing result when Added() is 0, else a failure that lists what was made and is left.
  testing::AssertionResult NothingLeft() const;

 private:
  unsigned long long serial_;
  long live_;
};

}  // namespace gdi_census
