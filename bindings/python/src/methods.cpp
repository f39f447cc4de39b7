#include "methods.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "args.hpp"
#include "borrow.hpp"
#include "conversion/convert.hpp"
#include "entry.hpp"
#include "errors.hpp"
#include "load_log.hpp"
#include "loader_type.hpp"

namespace tarnevo::python {
namespace {

constexpr std::array<const char*, 1> kLocaleParameter = {"locale"};
constexpr std::array<const char*, 2> kFactoryParameters = {"dir_path", "default_locale"};

constexpr ParameterSpec kExistsSpec = {"exists", "TarnevoLoader", kLocaleParameter, 1};
constexpr ParameterSpec kLoadSpec = {"load", "TarnevoLoader", kLocaleParameter, 1};
constexpr ParameterSpec kReloadSpec = {"reload", "TarnevoLoader", kLocaleParameter, 0};
constexpr ParameterSpec kClearCacheSpec = {"clear_cache", "TarnevoLoader", kLocaleParameter, 0};
constexpr ParameterSpec kFactorySpec = {"create_locale_loader", nullptr, kFactoryParameters, 1};

// An optional locale argument: absent and None both mean "every locale".
struct OptionalLocale {
  std::optional<TextArgument> text;

  std::optional<std::string_view> view() const {
    if (!text) return std::nullopt;
    return text->view();
  }
};

std::optional<OptionalLocale> optional_locale(PyObject* argument) {
  if (argument == nullptr || argument == Py_None) return OptionalLocale{};
  auto text = text_argument(argument, "locale");
  if (!text) return std::nullopt;
  return OptionalLocale{std::move(text)};
}

PyObject* languages(PyObject* self, PyObject* /*unused*/) {
  return run_entry([&]() -> PyRef {
    const auto access = LoaderAccess::shared(as_loader_object(self));
    if (!access) return {};
    const std::vector<std::string> names = access->loader().languages();
    PyRef list = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(names.size())));
    if (!list) {
      raise_api_call_failed();
      return {};
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
      PyRef name = new_text(names[i]);
      if (!name) return {};
      // PyList_SetItem takes over the reference and cannot fail for an index in range.
      PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), name.release());
    }
    return list;
  });
}

PyObject* exists(PyObject* self, PyObject* args, PyObject* kwargs) {
  return run_entry([&]() -> PyRef {
    const auto bound = bind_arguments(kExistsSpec, args, kwargs);
    if (!bound) return {};
    const auto access = LoaderAccess::shared(as_loader_object(self));
    if (!access) return {};
    const auto locale = text_argument((*bound)[0], "locale");
    if (!locale) return {};
    return PyRef::borrow(access->loader().exists(locale->view()) ? Py_True : Py_False);
  });
}

PyObject* load(PyObject* self, PyObject* args, PyObject* kwargs) {
  return run_entry([&]() -> PyRef {
    const auto bound = bind_arguments(kLoadSpec, args, kwargs);
    if (!bound) return {};
    PyRef result;
    std::shared_ptr<const LoadNotes> missed;
    std::optional<TextArgument> locale;
    {
      const auto access = LoaderAccess::shared(as_loader_object(self));
      if (!access) return {};
      locale = text_argument((*bound)[0], "locale");
      if (!locale) return {};
      if (auto kept = access->results().hit(locale->view())) return std::move(*kept);
      const std::uint64_t generation = access->results().generation();
      // The tree is read for this module alone and used up by its conversion, which is what
      // stays (see ResultCache).
      auto report = access->loader().read_report(locale->view());
      if (!report) {
        raise_loader_error(report.error());
        return {};
      }
      result = access->results().keep(locale->view(), std::move(report->tree), generation);
      if (!result) return {};
      missed = report->notes;
    }
    // Logging runs the application's handlers, which may call back into this loader: the
    // access is released first.
    if (missed) log_load_notes(as_loader_object(self).loader, locale->view(), *missed);
    return result;
  });
}

PyObject* reload(PyObject* self, PyObject* args, PyObject* kwargs) {
  return run_entry([&]() -> PyRef {
    const auto bound = bind_arguments(kReloadSpec, args, kwargs);
    if (!bound) return {};
    const auto access = LoaderAccess::exclusive(as_loader_object(self));
    if (!access) return {};
    const auto locale = optional_locale((*bound)[0]);
    if (!locale) return {};
    access->results().drop(locale->view());
    const auto reloaded = access->loader().reload(locale->view());
    if (!reloaded) {
      raise_loader_error(reloaded.error());
      return {};
    }
    return PyRef::borrow(Py_None);
  });
}

PyObject* clear_cache(PyObject* self, PyObject* args, PyObject* kwargs) {
  return run_entry([&]() -> PyRef {
    const auto bound = bind_arguments(kClearCacheSpec, args, kwargs);
    if (!bound) return {};
    const auto access = LoaderAccess::shared(as_loader_object(self));
    if (!access) return {};
    const auto locale = optional_locale((*bound)[0]);
    if (!locale) return {};
    access->results().drop(locale->view());
    access->loader().clear_cache(locale->view());
    return PyRef::borrow(Py_None);
  });
}

PyObject* create_locale_loader(PyObject* /*module*/, PyObject* args, PyObject* kwargs) {
  return run_entry([&]() -> PyRef {
    const auto bound = bind_arguments(kFactorySpec, args, kwargs);
    if (!bound) return {};
    const auto dir_path = text_argument((*bound)[0], "dir_path");
    if (!dir_path) return {};
    std::optional<TextArgument> default_locale;
    if ((*bound)[1] != nullptr && (*bound)[1] != Py_None) {
      default_locale = text_argument((*bound)[1], "default_locale");
      if (!default_locale) return {};
    }
    auto loader =
        create_core_loader(dir_path->view(), default_locale ? default_locale->view() : "en");
    if (!loader) return {};
    log_missing_default(*loader);
    PyTypeObject* type = loader_type();
    if (type == nullptr) return {};
    PyRef instance = new_loader_object(type, std::move(*loader));
    if (!instance) {
      // The loader exists, so this is no error of the call but an internal fault.
      if (PyErr_Occurred() != nullptr) PyErr_Print();
      raise_panic("failed to create a TarnevoLoader instance around a new loader");
    }
    return instance;
  });
}

// CPython stores every method as a PyCFunction and calls it with the arguments its flags name.
template <class Function>
PyCFunction as_cfunction(Function function) {
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function));
}

}  // namespace

PyMethodDef* loader_methods() {
  static PyMethodDef methods[] = {
      {"languages", as_cfunction(&languages), METH_NOARGS, "languages($self)\n--\n\n"},
      {"exists", as_cfunction(&exists), METH_VARARGS | METH_KEYWORDS,
       "exists($self, locale)\n--\n\n"},
      {"load", as_cfunction(&load), METH_VARARGS | METH_KEYWORDS, "load($self, locale)\n--\n\n"},
      {"reload", as_cfunction(&reload), METH_VARARGS | METH_KEYWORDS,
       "reload($self, locale=None)\n--\n\n"},
      {"clear_cache", as_cfunction(&clear_cache), METH_VARARGS | METH_KEYWORDS,
       "clear_cache($self, locale=None)\n--\n\n"},
      {nullptr, nullptr, 0, nullptr},
  };
  return methods;
}

PyMethodDef* create_locale_loader_definition() {
  static PyMethodDef definition = {"create_locale_loader", as_cfunction(&create_locale_loader),
                                   METH_VARARGS | METH_KEYWORDS,
                                   "create_locale_loader(dir_path, default_locale=None)\n--\n\n"};
  return &definition;
}

}  // namespace tarnevo::python
