"""Loads an application's translations from a locale directory."""

from typing import Any, Dict, List, Optional, Union

# A loaded locale: a dict whose keys iterate in ascending code-point order, holding str, int,
# float, bool, None, lists and nested dicts.
LocaleTree = Dict[str, Any]
LocaleItem = Union[None, bool, int, float, str, List[Any], Dict[str, Any]]

__all__: List[str]
__version__: str

class TarnevoLoader:
    """A loader for one locale directory; loaded locales are cached until cleared."""

    def __new__(cls, dir_path: str, default_locale: str = "en") -> "TarnevoLoader": ...
    def languages(self) -> List[str]:
        """The discovered locale names, in ascending byte order."""
    def exists(self, locale: str) -> bool:
        """Whether the locale was discovered (no file-system access)."""
    def load(self, locale: str) -> LocaleTree:
        """The locale's values, completed from the default locale, as new objects.

        Raises RuntimeError with the loader's message when neither the locale nor the default
        locale can be loaded; on Python 3.11 and later an error from a file carries a note
        naming it. What a load gets past (a failing file, a locale not in the directory) is
        logged on the logger "tarnevo"."""
    def reload(self, locale: Optional[str] = None) -> None:
        """Rediscovers the directory and drops the cached values of `locale`, or of all."""
    def clear_cache(self, locale: Optional[str] = None) -> None:
        """Drops the cached values of `locale`, or of all locales."""

def create_locale_loader(dir_path: str, default_locale: Optional[str] = None) -> TarnevoLoader:
    """A new TarnevoLoader; a default_locale of None means "en"."""
