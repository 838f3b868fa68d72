#pragma once
// The form files the designer opens: a user form (.wkf), whose root object
// becomes the edit surface, or a whole monitoring form (.sf2) of a composite
// form, whose scroll box pnlMain does. The whole file is read and checked
// (text, the object to edit, every class it names) before the surface is
// touched.
#include "ComponentText.h"

#pragma GCC visibility push(default)

class TControl;

inline const char* const SOnlyComplexForms = "Разрешается редактировать только составные формы";
// The name of the edit surface in every file the designer writes.
inline const char* const DesignRootName = "pnlMain";

// The object of the file that becomes the surface. Raises on a file that
// cannot be read, malformed text, an .sf2 without an object named pnlMain
// (SOnlyComplexForms), and a nested class that no package provides (its
// package is loaded through the class-module loader when needed).
TStreamObject ReadDesignedFormTree(const QString& fileName);

// Replaces the surface's controls and properties by the tree's. When reading
// fails the surface gets back what it held before, and the error passes on.
// The surface keeps its name. Settings skipped on reading (each also a debug
// line) are added to problems when given, with their text lines.
void LoadDesignedForm(TControl* surface, const TStreamObject& tree, QStringList* problems = nullptr);

#pragma GCC visibility pop
