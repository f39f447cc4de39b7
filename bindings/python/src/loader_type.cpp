#include "loader_type.hpp"

#include <array>
#include <charconv>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "args.hpp"
#include "entry.hpp"
#include "errors.hpp"
#include "load_log.hpp"
#include "methods.hpp"

namespace tarnevo::python {
namespace {

// "builtins." because the class has no module of its own: __module__ is "builtins" and
// __name__ and __qualname__ are "TarnevoLoader".
constexpr std::string_view kTypeName = "builtins.TarnevoLoader";
constexpr const char* kTypeDoc = "TarnevoLoader(dir_path, default_locale=\"en\")\n--\n\n";

constexpr std::array<const char*, 2> kConstructorParameters = {"dir_path", "default_locale"};
constexpr ParameterSpec kConstructorSpec = {"__new__", "TarnevoLoader", kConstructorParameters, 1};

// Interpreters before 3.11 keep pointing at the name handed to PyType_FromSpec; later ones copy
// it. The running version is read once.
bool interpreter_copies_type_name() {
  static const bool copies = [] {
    const std::string_view version = Py_GetVersion();
    int major = 0;
    int minor = 0;
    const char* end = version.data() + version.size();
    auto parsed = std::from_chars(version.data(), end, major);
    if (parsed.ec == std::errc() && parsed.ptr != end && *parsed.ptr == '.') {
      parsed = std::from_chars(parsed.ptr + 1, end, minor);
    }
    return major > 3 || (major == 3 && minor >= 11);
  }();
  return copies;
}

PyObject* loader_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  return run_entry([&]() -> PyRef {
    const auto bound = bind_arguments(kConstructorSpec, args, kwargs);
    if (!bound) return {};
    const auto dir_path = text_argument((*bound)[0], "dir_path");
    if (!dir_path) return {};
    std::optional<TextArgument> default_locale;
    if ((*bound)[1] != nullptr) {
      // None is refused here like any other non-str; only create_locale_loader maps it to "en".
      default_locale = text_argument((*bound)[1], "default_locale");
      if (!default_locale) return {};
    }
    auto loader =
        create_core_loader(dir_path->view(), default_locale ? default_locale->view() : "en");
    if (!loader) return {};
    log_missing_default(*loader);
    return new_loader_object(type, std::move(*loader));
  });
}

void loader_dealloc(PyObject* self) {
  run_dealloc_entry(self, [self] {
    PyTypeObject* type = Py_TYPE(self);
    std::destroy_at(&as_loader_object(self).results);
    std::destroy_at(&as_loader_object(self).loader);
    reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free))(self);
    // Instances of a heap type hold a reference to it.
    Py_DECREF(type);
  });
}

PyTypeObject* make_loader_type() {
  std::array<PyType_Slot, 6> slots = {{
      {Py_tp_doc, const_cast<char*>(kTypeDoc)},
      {Py_tp_new, reinterpret_cast<void*>(&loader_new)},
      {Py_tp_methods, loader_methods()},
      {Py_tp_base, &PyBaseObject_Type},
      {Py_tp_dealloc, reinterpret_cast<void*>(&loader_dealloc)},
      {0, nullptr},
  }};
  auto name = std::make_unique<char[]>(kTypeName.size() + 1);
  std::memcpy(name.get(), kTypeName.data(), kTypeName.size());
  // Without Py_TPFLAGS_BASETYPE the class cannot be subclassed; without Py_TPFLAGS_HAVE_GC the
  // collector ignores instances, whose only Python objects (the result templates) are lists,
  // dicts and leaves that never refer back to anything, so they can take part in no cycle.
  PyType_Spec type_spec = {name.get(), static_cast<int>(sizeof(LoaderObject)), 0,
                           Py_TPFLAGS_DEFAULT, slots.data()};
  PyObject* type = PyType_FromSpec(&type_spec);
  if (!interpreter_copies_type_name()) {
    // The type's name keeps pointing into this block, and the type is never freed.
    static_cast<void>(name.release());
  }
  if (type == nullptr) {
    PyErr_PrintEx(0);
    raise_panic("failed to create type object for TarnevoLoader");
    return nullptr;
  }
  return reinterpret_cast<PyTypeObject*>(type);
}

}  // namespace

PyTypeObject* loader_type() {
  static PyTypeObject* type = nullptr;
  if (type == nullptr) type = make_loader_type();
  return type;
}

std::optional<LocaleLoader> create_core_loader(std::string_view dir_path,
                                               std::string_view default_locale) {
  auto loader = LocaleLoader::create(std::string(dir_path), std::string(default_locale));
  if (!loader) {
    raise_loader_error(loader.error());
    return std::nullopt;
  }
  return std::move(*loader);
}

PyRef new_loader_object(PyTypeObject* type, LocaleLoader&& loader) {
  const auto allocate = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
  PyRef object = PyRef::steal(allocate(type, 0));
  if (!object) return {};
  // Nothing can fail between the allocation and here (the move is noexcept), so an instance is
  // never seen, nor deallocated, without a loader in it.
  LoaderObject& instance = as_loader_object(object.get());
  std::construct_at(&instance.loader, std::move(loader));
  std::construct_at(&instance.results);
  instance.borrow_count = 0;
  return object;
}

}  // namespace tarnevo::python
