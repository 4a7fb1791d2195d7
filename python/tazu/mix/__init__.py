"""Reference platform layer (being built)."""
import os
import json
import re
import time

import pygame


class 游戏组件:
    pass
