import sys

from tazu.cli import main

sys.exit(main())
