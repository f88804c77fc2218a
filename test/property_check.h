// One property of a helper, checked on many generated inputs. Every violation fails the test;
// the first few are reported with their input (see Printable), the rest only counted, so that a
// broken helper does not flood the log.
//
//   Property idempotent("NormalizeSeparators is idempotent");
//   for (...) {
//     const std::wstring text = random.Any();
//     idempotent.Try(text, [&] {
//       const std::wstring once = NormalizeSeparators(text);
//       idempotent.Expect(NormalizeSeparators(once) == once, "second pass changes it");
//     });
//   }
#ifndef SOLLUX_TEST_PROPERTY_CHECK_H_
#define SOLLUX_TEST_PROPERTY_CHECK_H_

#include <cstddef>
#include <exception>
#include <string>
#include <utility>

namespace sollux::test {

class Property {
 public:
  explicit Property(std::string name) : name_(std::move(name)) {}
  // Prints the number of inputs tried; fails the test when any input violated the property.
  ~Property();
  Property(const Property&) = delete;
  Property& operator=(const Property&) = delete;

  // Runs `body` for one input; an exception that escapes it is a violation.
  template <typename Body>
  void Try(const std::wstring& input, Body body) {
    input_ = &input;
    ++inputs_;
    try {
      body();
    } catch (const std::exception& e) {
      Violation(std::string("exception escaped: ") + e.what());
    } catch (...) {
      Violation("exception escaped");
    }
    input_ = nullptr;
    context_.clear();
  }

  // More about the next input for the report (a limit, a second argument); call before Try.
  void SetContext(std::string context) { context_ = std::move(context); }
  void SetContext(const std::wstring& second_input);
  // A violation when `holds` is false.
  bool Expect(bool holds, const char* what) {
    if (!holds) Violation(what);
    return holds;
  }

  size_t inputs() const { return inputs_; }
  size_t violations() const { return violations_; }

 private:
  void Violation(const std::string& what);

  std::string name_;
  const std::wstring* input_ = nullptr;
  std::string context_;
  size_t inputs_ = 0;
  size_t violations_ = 0;
};

}  // namespace sollux::test

#endif  // SOLLUX_TEST_PROPERTY_CHECK_H_
