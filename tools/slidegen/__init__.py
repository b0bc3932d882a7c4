# Building blocks of the test-slide generator (tools/make_test_slide.py).
# Each module writes one part of a VL Whole Slide Microscopy slide directory with pydicom.
