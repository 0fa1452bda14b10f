#include "service/argument_shapes.h"

#include "com/safe_array.h"
#include "model/project.h"
#include "model/status_codes.h"

namespace zelvan {

TextArg::TextArg(const VARIANT& v) {
  std::string text;
  if (StringFromVariant(v, &text)) value_ = std::move(text);
}

bool IsText(const VARIANT& v) {
  std::string ignored;
  return StringFromVariant(v, &ignored);
}

ArgumentScope::ArgumentScope(std::initializer_list<const VARIANT*> args) {
  size_t i = 0;
  for (const VARIANT* arg : args) {
    if (i < args_.size()) args_[i++] = arg;
  }
}

ArgumentScope::~ArgumentScope() {
  for (const VARIANT* arg : args_) {
    if (arg != nullptr && (arg->vt & VT_ARRAY) != 0 && (arg->vt & VT_BYREF) == 0) {
      SafeArrayDestroy(arg->parray);
    }
  }
}

bool StoreTextThrough(const VARIANT& target, std::string_view text) {
  // A copy of a reference refers to the same place; a VARIANT that holds
  // its value itself is the caller's and is left alone.
  if ((target.vt & VT_BYREF) == 0) return false;
  VARIANT copy = target;
  return StoreText(&copy, text);
}

bool StoreStringsThrough(const VARIANT& target, const std::vector<std::string>& items) {
  if ((target.vt & VT_BYREF) == 0) return false;
  VARIANT copy = target;
  return StoreStrings(&copy, items);
}

namespace {

bool LongsFromArray(SAFEARRAY* psa, std::vector<LONG>* out) {
  VARTYPE vt = VT_EMPTY;
  LONG lower = 0;
  LONG upper = -1;
  if (psa == nullptr || SafeArrayGetDim(psa) != 1 || FAILED(SafeArrayGetVartype(psa, &vt)) ||
      FAILED(SafeArrayGetLBound(psa, 1, &lower)) || FAILED(SafeArrayGetUBound(psa, 1, &upper))) {
    return false;
  }
  std::vector<LONG> items;
  for (int64_t i = lower; i <= upper; ++i) {
    LONG index = static_cast<LONG>(i);
    LONG value = 0;
    if (vt == VT_I4) {
      if (FAILED(SafeArrayGetElement(psa, &index, &value))) return false;
    } else if (vt == VT_VARIANT) {
      VARIANT element;
      VariantInit(&element);
      if (FAILED(SafeArrayGetElement(psa, &index, &element))) return false;
      const bool ok = LongFromVariant(element, &value);
      VariantClear(&element);
      if (!ok) return false;
    } else {
      return false;
    }
    items.push_back(value);
  }
  *out = std::move(items);
  return true;
}

}  // namespace

bool LongsFromVariant(const VARIANT& v, std::vector<LONG>* out) {
  const VARIANT* value = v.vt == (VT_VARIANT | VT_BYREF) ? v.pvarVal : &v;
  if (value == nullptr) return false;
  LONG single = 0;
  if (LongFromVariant(*value, &single)) {
    *out = {single};
    return true;
  }
  if ((value->vt & VT_ARRAY) == 0) return false;
  if ((value->vt & VT_BYREF) != 0) {
    return value->pparray != nullptr && LongsFromArray(*value->pparray, out);
  }
  return LongsFromArray(value->parray, out);
}

bool TextsFromVariant(const VARIANT& v, std::vector<std::string>* out) {
  std::string single;
  if (StringFromVariant(v, &single)) {
    *out = {single};
    return true;
  }
  return StringsFromVariant(v, out);
}

Project* FindNamedProject(Workspace& workspace, std::string_view name) {
  Project* project = workspace.projects().Find(name);
  std::string file;
  if (project == nullptr && workspace.projects().ResolveFile(name, &file)) {
    project = workspace.projects().FindByFile(file);
  }
  if (project == nullptr) workspace.SetStatus(kStatusProjectNotFound, kMsgProjectNotFound);
  return project;
}

SourceFile* FindNamedFile(Workspace& workspace, Project& project, std::string_view file) {
  SourceFile* found = project.sources().Find(file);
  if (found == nullptr) found = project.sources().FindByRelativePath(file);
  if (found == nullptr) workspace.SetStatus(kStatusFileNotInProject, kMsgFileNotInProject);
  return found;
}

std::string JoinWithSemicolons(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) {
    text += item;
    text += ';';
  }
  return text;
}

}  // namespace zelvan
