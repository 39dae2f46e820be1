"""Every scenario of the suite; importing this package registers them, in the
order they run."""

# First: the operator helper proves itself.
from . import operator_self_test  # noqa: F401
from . import road  # noqa: F401
from . import login  # noqa: F401
from . import paths  # noqa: F401
from . import package  # noqa: F401
from . import version  # noqa: F401
from . import resources  # noqa: F401
from . import component  # noqa: F401
from . import operators  # noqa: F401
from . import precheck  # noqa: F401
from . import unattended  # noqa: F401
