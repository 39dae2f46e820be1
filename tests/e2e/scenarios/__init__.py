"""Every scenario of the suite; importing this package registers them, in the
order they run."""

from . import operator_self_test  # noqa: F401  (first: the helper proves itself)
