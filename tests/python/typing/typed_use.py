"""A typed caller of the installed module: mypy --strict must accept it as it stands."""

from typing import Any, Dict, List

import tarnevo

loader: tarnevo.TarnevoLoader = tarnevo.create_locale_loader("locales", default_locale=None)
names: List[str] = loader.languages()
tree: Dict[str, Any] = loader.load("fr") if loader.exists("fr") else {}
loader.reload()
loader.clear_cache("fr")
again = tarnevo.TarnevoLoader("locales", "en")
