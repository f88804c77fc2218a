#include "test/property_check.h"

#include <gtest/gtest.h>

#include <iostream>

#include "test/random_text.h"

namespace sollux::test {
namespace {

constexpr size_t kReportedViolations = 5;

}  // namespace

Property::~Property() {
  std::cout << "[ property ] " << name_ << ": " << inputs_ << " inputs" << std::endl;
  EXPECT_EQ(0u, violations_) << name_ << ": violated by " << violations_ << " of " << inputs_
                             << " inputs";
}

void Property::SetContext(const std::wstring& second_input) { context_ = Printable(second_input); }

void Property::Violation(const std::string& what) {
  if (++violations_ > kReportedViolations) return;
  ADD_FAILURE() << name_ << ": " << what << "\n  input:   "
                << (input_ != nullptr ? Printable(*input_) : std::string("(none)"))
                << (context_.empty() ? "" : "\n  with:    " + context_);
}

}  // namespace sollux::test
