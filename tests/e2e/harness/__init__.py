"""The end-to-end harness: plays MiseANiveau.exe under Wine and Xvfb."""
