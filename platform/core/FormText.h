// Form descriptions: the text form of a component tree ("object Form1: TForm1 ... end"),
// read into components through their published properties, and written back.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/core/Classes.h"

namespace qn {

class EReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TFormReadContext {
  // The root's published method of that name, for event properties; empty when none.
  std::function<TMethodRef(const std::string& name)> findMethod;
  // Bytes of a named resource, for binary values written as @resource(NAME).
  std::function<bool(const std::string& name, std::vector<uint8_t>& bytes)> loadResource;
};

// Reads the description into root (which must match its outermost object): names root,
// creates the inner components owned by root, sets every property in stored order,
// resolves component references, then calls Loaded on each component, root first.
// Throws EReadError naming the line for anything it cannot apply.
void ReadComponentText(TComponent* root, const std::string& utf8_text, const TFormReadContext& context = {});

// Writes root and the components it owns: published properties with setters (events and
// component references excepted), string lists, collections and binary properties.
std::string WriteComponentText(TComponent* root);

}  // namespace qn
